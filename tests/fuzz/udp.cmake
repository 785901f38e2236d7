# The control link's datagram handler needs the whole station (lock screens,
# player link, settings), so it links every subsystem library.
add_executable(fuzz_udp ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_udp.cpp)
vod_link_all(fuzz_udp)
target_compile_options(fuzz_udp PRIVATE -fsanitize=fuzzer)
target_link_options(fuzz_udp PRIVATE -fsanitize=fuzzer)
list(APPEND VOD_FUZZ_TARGETS fuzz_udp)
