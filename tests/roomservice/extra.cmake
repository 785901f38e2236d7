# The tool tests run the bill command, the front-desk tool and the demo generator.
add_dependencies(${target} vod-bill vod-frontdesk vod-demo)
# The food and bill screens run on the demo installation of the song screen
# tests: catalogue, queue files, configuration and skins.
target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/screens/ScreenFixture.cpp
                                 ${CMAKE_CURRENT_SOURCE_DIR}/screens/SearchFixture.cpp)
target_link_libraries(${target} PRIVATE vod_demogen)
