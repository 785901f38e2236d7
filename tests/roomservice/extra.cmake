# The tool tests run the bill command, the front-desk tool and the demo generator.
add_dependencies(${target} vod-bill vod-frontdesk vod-demo)
