# gvcp: the GVCP client library (plain C++, no Qt): wire format, discovery, control channel,
# typed camera operations, the checks of a new camera address, the interfaces of this PC and
# the check of its network.
add_library(gvcp STATIC
    ${CMAKE_CURRENT_LIST_DIR}/GvcpMessages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GvcpMessages.h
    ${CMAKE_CURRENT_LIST_DIR}/GvcpSocket.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GvcpSocket.h
    ${CMAKE_CURRENT_LIST_DIR}/DeviceDiscovery.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeviceDiscovery.h
    ${CMAKE_CURRENT_LIST_DIR}/DeviceControl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeviceControl.h
    ${CMAKE_CURRENT_LIST_DIR}/AddressCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AddressCheck.h
    ${CMAKE_CURRENT_LIST_DIR}/AddressProbe.cpp
    ${CMAKE_CURRENT_LIST_DIR}/AddressProbe.h
    ${CMAKE_CURRENT_LIST_DIR}/CameraSetup.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CameraSetup.h
    ${CMAKE_CURRENT_LIST_DIR}/NetworkCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetworkCheck.h
    ${CMAKE_CURRENT_LIST_DIR}/NetworkInterfaces.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NetworkInterfaces.h)
target_include_directories(gvcp PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(gvcp PUBLIC Threads::Threads)
