# Viewer soak (a program that prints figures; not a test). The SDK's frame deliveries are
# counted on their way to the viewer (linker --wrap of OrvantaStartAcquisition).
if(TARGET viewercore)
    add_executable(viewer_soak ${CMAKE_CURRENT_LIST_DIR}/viewer_soak.cpp)
    target_link_libraries(viewer_soak PRIVATE viewercore testnet_guard)
    target_link_options(viewer_soak PRIVATE "LINKER:--wrap=OrvantaStartAcquisition")
endif()
