# Tests of the real-camera backend against Aravis's fake cameras. Each runs in a network
# namespace its command makes (Aravis discovery broadcasts on every interface).
if(NOT ORVANTA_HAVE_ARAVIS OR NOT GTest_FOUND)
    return()
endif()

orvanta_add_test(tst_sdk_aravis_fake KIND netns LABELS aravis TIMEOUT 300
    SOURCES tst_sdk_aravis_fake.cpp privatenet.h sdktestutil.h
    LIBS OrvantaAPI GTest::gtest GTest::gtest_main Threads::Threads
    COMMAND_PREFIX ${CMAKE_CURRENT_SOURCE_DIR}/in-private-net.sh)

orvanta_add_test(tst_sdk_aravis_pixels KIND unit SOURCES tst_sdk_aravis_pixels.cpp
    LIBS orvantaapi_core GTest::gtest GTest::gtest_main)

# The networked fake camera needs the test network of tools/netns (host and camera namespaces
# joined by veth) and arv-fake-gv-camera-0.8 from aravis-tools.
find_program(ORVANTA_ARV_FAKE_GV arv-fake-gv-camera-0.8)
# The cases that mostly wait (for an unplugged camera to go, or through 20 s of a stream that
# loses packets on purpose) run beside other tests, started first; the others alone.
if(ORVANTA_TESTNET AND ORVANTA_ARV_FAKE_GV)
    set(_waiting "*.UnpluggedCameraLeavesTheListAndFailsItsSession:LossyNetworkedFake.*")
    orvanta_add_test(tst_sdk_aravis_gv KIND netns LABELS aravis TIMEOUT 300 SERIAL
        SOURCES tst_sdk_aravis_gv.cpp fakegvcamera.h privatenet.h sdktestutil.h
        LIBS OrvantaAPI GTest::gtest GTest::gtest_main Threads::Threads
        COMMAND_PREFIX ${ORVANTA_TESTNET} --cams 1 --
        ARGS --gtest_filter=-${_waiting})
    orvanta_add_test(tst_sdk_aravis_gv_waiting KIND netns LABELS aravis TIMEOUT 300
        PROGRAM tst_sdk_aravis_gv COMMAND_PREFIX ${ORVANTA_TESTNET} --cams 1 --
        ARGS --gtest_filter=${_waiting})
    set_tests_properties(tst_sdk_aravis_gv_waiting PROPERTIES COST 60)
endif()
