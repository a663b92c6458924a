# The real-camera backend of libOrvantaAPI, built when Aravis is installed (Debian:
# libaravis-dev, which also needs libusb-1.0-0-dev for its pkg-config file). Without it the SDK
# offers the simulated cameras only.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(ARAVIS IMPORTED_TARGET aravis-0.8)
endif()

target_sources(orvantaapi_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/realbackend.cpp
    ${CMAKE_CURRENT_LIST_DIR}/realbackend.h)
target_include_directories(orvantaapi_core PUBLIC ${CMAKE_CURRENT_LIST_DIR})
# A library running from this build tree defaults to the simulated cameras.
target_compile_definitions(orvantaapi_core PRIVATE ORVANTA_BUILD_TREE="${PROJECT_BINARY_DIR}")
target_link_libraries(orvantaapi_core PUBLIC ${CMAKE_DL_LIBS})

if(ARAVIS_FOUND)
    message(STATUS "Aravis ${ARAVIS_VERSION}: real GigE Vision and USB3 Vision cameras")
    file(GLOB orvanta_aravis_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/aravis*.cpp
        ${CMAKE_CURRENT_LIST_DIR}/aravis*.h ${CMAKE_CURRENT_LIST_DIR}/gobjectptr.h)
    target_sources(orvantaapi_core PRIVATE ${orvanta_aravis_sources})
    target_compile_definitions(orvantaapi_core PUBLIC ORVANTA_HAVE_ARAVIS)
    target_link_libraries(orvantaapi_core PUBLIC PkgConfig::ARAVIS)
    set(ORVANTA_HAVE_ARAVIS ON CACHE INTERNAL "")
else()
    message(STATUS "Aravis not found: libOrvantaAPI offers the simulated cameras only")
    set(ORVANTA_HAVE_ARAVIS OFF CACHE INTERNAL "")
endif()
