# The screen tests write a demo installation: catalogue, queue files,
# configuration and skins.
target_link_libraries(${target} PRIVATE vod_demogen)
file(GLOB screens_demo_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/demo/skin/*.cpp
     ${PROJECT_SOURCE_DIR}/tools/demo/skin/*.h)
target_sources(${target} PRIVATE ${screens_demo_sources} ${PROJECT_SOURCE_DIR}/tools/demo/DemoConfig.cpp
               ${PROJECT_SOURCE_DIR}/tools/demo/DemoInstallation.cpp)
