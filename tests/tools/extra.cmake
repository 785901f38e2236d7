target_link_libraries(${target} PRIVATE vod_demogen)
