# Tests of the GigE Vision device emulator's behaviour (no sockets).
if(NOT GTest_FOUND)
    return()
endif()
add_executable(tst_emulated_camera tst_emulated_camera.cpp)
target_link_libraries(tst_emulated_camera PRIVATE gigeemulator GTest::gtest_main)
orvanta_add_test(emulated_camera KIND unit PROGRAM tst_emulated_camera)
