# Streaming benchmark of the real-camera backend against the networked fake camera; run it in
# the test network: tools/netns/testnet.sh --cams 1 -- build/.../bench/aravis_bench [seconds]
if(NOT ORVANTA_HAVE_ARAVIS)
    return()
endif()
add_executable(aravis_bench ${CMAKE_CURRENT_LIST_DIR}/aravis_bench.cpp)
target_link_libraries(aravis_bench PRIVATE orvantaapi_core)
