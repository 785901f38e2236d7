# The end-to-end tests run the station, the player stand-in and the demo
# generator of the installation folder.
cmake_language(DEFER CALL add_dependencies test_e2e vod vodplayer vod-demo vod-addsong vod-frontdesk vod-control)
# The input dispatch tests of test_playback write their installation with vod-demo.
if(TARGET test_playback)
  add_dependencies(test_playback vod-demo)
endif()
# The phone remote's tests are phones: HTTP and WebSocket clients.
target_link_libraries(test_e2e PRIVATE Qt6::WebSockets)
