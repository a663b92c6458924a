# orvanta-gige-emulator: GigE Vision device emulator that network tests and demos run as a peer.
add_library(gigeemulator STATIC
    ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/EmulatedCamera.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/EmulatedCamera.h
    ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/CameraOptions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/CameraOptions.h
    ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/InterfaceAddresses.cpp
    ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/InterfaceAddresses.h)
target_include_directories(gigeemulator PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator)
target_link_libraries(gigeemulator PUBLIC gvcp)

add_executable(orvanta-gige-emulator ${CMAKE_CURRENT_LIST_DIR}/gvcp-emulator/main.cpp)
target_link_libraries(orvanta-gige-emulator PRIVATE gigeemulator)
