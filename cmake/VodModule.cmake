# vod_module(<name> [DEPS <libs>...])
# One static library per subsystem folder. Sources are every .cpp/.h below the
# folder, so adding a file needs no edit here.
set(VOD_ALL_MODULES "" CACHE INTERNAL "")

# One precompiled header for every target: building it once per target costs
# more than it saves on two cores.
add_library(vod_pch STATIC ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
target_link_libraries(vod_pch PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Sql Qt6::Network Qt6::SerialPort
                      Qt6::Xml Qt6::Multimedia Qt6::Concurrent)
if(VOD_PCH)
  target_precompile_headers(vod_pch PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch.h)
endif()

function(vod_use_pch target)
  if(VOD_PCH)
    target_precompile_headers(${target} REUSE_FROM vod_pch)
  endif()
endfunction()

function(vod_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(target vod_${name})
  add_library(${target} STATIC ${sources} ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC
    Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Sql Qt6::Network Qt6::SerialPort
    Qt6::Xml Qt6::Multimedia Qt6::Concurrent ${ARG_DEPS})
  vod_use_pch(${target})
  set(VOD_ALL_MODULES ${VOD_ALL_MODULES} ${target} CACHE INTERNAL "")
endfunction()

# Links every subsystem library into a program. The subsystems call each other
# both ways (the form manager opens screens, screens use the form manager), so
# the archives are linked as one group.
function(vod_link_all target)
  target_link_libraries(${target} PRIVATE "$<LINK_GROUP:RESCAN,${VOD_ALL_MODULES}>")
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  foreach(m ${VOD_ALL_MODULES})
    target_link_libraries(${target} PRIVATE $<TARGET_PROPERTY:${m},INTERFACE_LINK_LIBRARIES>)
  endforeach()
endfunction()

# vod_program(<name> <sources>...): a program of the installation, placed in
# the installation folder beside vod.
function(vod_program name)
  add_executable(${name} ${ARGN})
  vod_link_all(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VOD_EXE_DIR})
  vod_use_pch(${name})
endfunction()
