# The program tests start the station and its tools from the installation folder.
add_dependencies(${target} vod vod-demo vod-settings)
