target_link_libraries(${target} PRIVATE vod_demogen)
add_dependencies(${target} vod-demo)
