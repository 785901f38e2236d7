# The server tests include the phone server's header and talk to it as phones
# do, with WebSocket clients.
target_include_directories(test_phone SYSTEM PRIVATE $<TARGET_PROPERTY:Qt6::HttpServer,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(test_phone PRIVATE Qt6::WebSockets)
