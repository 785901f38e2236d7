# The control link tests start the player stand-in.
cmake_language(DEFER CALL add_dependencies test_net vodplayer)
