# gvcp: the GVCP client library (plain C++, no Qt): wire format, discovery and control channel.
add_library(gvcp STATIC
    ${CMAKE_CURRENT_LIST_DIR}/GvcpMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GvcpMessages.h
    ${CMAKE_CURRENT_LIST_DIR}/GvcpSocket.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GvcpSocket.h
    ${CMAKE_CURRENT_LIST_DIR}/DeviceDiscovery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeviceDiscovery.h
    ${CMAKE_CURRENT_LIST_DIR}/DeviceControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeviceControl.h)
target_include_directories(gvcp PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(gvcp PUBLIC Threads::Threads)
