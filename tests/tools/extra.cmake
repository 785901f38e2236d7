target_link_libraries(${target} PRIVATE vod_demogen)
file(GLOB demo_skin_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/demo/skin/*.cpp ${PROJECT_SOURCE_DIR}/tools/demo/skin/*.h)
target_sources(${target} PRIVATE ${demo_skin_sources})
