# Tests of the real-camera backend against Aravis's fake cameras. Each runs in a network
# namespace its command makes (Aravis discovery broadcasts on every interface).
if(NOT ORVANTA_HAVE_ARAVIS OR NOT GTest_FOUND)
    return()
endif()

set(ORVANTA_PRIVATE_NET ${CMAKE_CURRENT_LIST_DIR}/in-private-net.sh)

add_executable(tst_sdk_aravis_fake ${CMAKE_CURRENT_LIST_DIR}/tst_sdk_aravis_fake.cpp
    ${CMAKE_CURRENT_LIST_DIR}/privatenet.h)
target_link_libraries(tst_sdk_aravis_fake PRIVATE OrvantaAPI GTest::gtest GTest::gtest_main
    Threads::Threads)
add_test(NAME tst_sdk_aravis_fake
    COMMAND ${ORVANTA_PRIVATE_NET} $<TARGET_FILE:tst_sdk_aravis_fake>)
set_tests_properties(tst_sdk_aravis_fake PROPERTIES LABELS "unit;aravis" SKIP_RETURN_CODE 77
    TIMEOUT 300)

add_executable(tst_sdk_aravis_pixels ${CMAKE_CURRENT_LIST_DIR}/tst_sdk_aravis_pixels.cpp)
target_link_libraries(tst_sdk_aravis_pixels PRIVATE orvantaapi_core GTest::gtest
    GTest::gtest_main)
add_test(NAME tst_sdk_aravis_pixels COMMAND tst_sdk_aravis_pixels)
set_tests_properties(tst_sdk_aravis_pixels PROPERTIES LABELS "unit")

# The networked fake camera needs the test network of tools/netns (host and camera namespaces
# joined by veth) and arv-fake-gv-camera-0.8 from aravis-tools.
find_program(ORVANTA_ARV_FAKE_GV arv-fake-gv-camera-0.8)
if(ORVANTA_TESTNET AND ORVANTA_ARV_FAKE_GV)
    add_executable(tst_sdk_aravis_gv ${CMAKE_CURRENT_LIST_DIR}/tst_sdk_aravis_gv.cpp
        ${CMAKE_CURRENT_LIST_DIR}/fakegvcamera.h ${CMAKE_CURRENT_LIST_DIR}/privatenet.h)
    target_link_libraries(tst_sdk_aravis_gv PRIVATE OrvantaAPI GTest::gtest GTest::gtest_main
        Threads::Threads)
    add_test(NAME tst_sdk_aravis_gv
        COMMAND ${ORVANTA_TESTNET} --cams 1 -- $<TARGET_FILE:tst_sdk_aravis_gv>)
    set_tests_properties(tst_sdk_aravis_gv PROPERTIES LABELS "network;aravis" SKIP_RETURN_CODE 77
        TIMEOUT 300 RUN_SERIAL ON)
endif()
