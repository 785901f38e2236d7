# The screen tests write a demo installation: catalogue, queue files,
# configuration and skins.
target_link_libraries(${target} PRIVATE vod_demogen)
