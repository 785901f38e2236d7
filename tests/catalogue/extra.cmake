target_link_libraries(${target} PRIVATE vod_demogen)
add_dependencies(${target} vod-demo)
# The queue crash tests run the player stand-in on the queue they leave.
cmake_language(DEFER CALL add_dependencies test_catalogue vodplayer)
