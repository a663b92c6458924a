# bench-sdk: demosaic and bit-depth reduction throughput against OpenCV and memcpy, and the
# CPU cost of the simulated colour camera streaming. A program that prints figures; not a test.
find_package(OpenCV QUIET COMPONENTS core imgproc)
if(NOT OpenCV_FOUND)
    message(STATUS "OpenCV not found: bench-sdk is not built")
    return()
endif()
add_executable(bench-sdk ${CMAKE_CURRENT_LIST_DIR}/sdk_bench.cpp)
target_include_directories(bench-sdk SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(bench-sdk PRIVATE orvantaapi_core opencv_core opencv_imgproc)
