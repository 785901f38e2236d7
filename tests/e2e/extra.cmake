# The end-to-end tests run the station, the player stand-in and the demo
# generator of the installation folder.
cmake_language(DEFER CALL add_dependencies test_e2e vod vodplayer vod-demo vod-addsong vod-frontdesk)
# The input dispatch tests of test_playback write their installation with vod-demo.
if(TARGET test_playback)
  add_dependencies(test_playback vod-demo)
endif()
