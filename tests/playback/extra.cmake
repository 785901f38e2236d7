# The player link tests start the player stand-in and the add-song tool of
# the installation folder: build them with the test binary.
cmake_language(DEFER CALL add_dependencies test_playback vod vodplayer vod-addsong vod-demo)
