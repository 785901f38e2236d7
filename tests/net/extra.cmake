# The control link tests start the player stand-in, and the cross-process
# tests the station, the demo generator and the control-server tool.
cmake_language(DEFER CALL add_dependencies test_net vod vodplayer vod-demo vod-control)
