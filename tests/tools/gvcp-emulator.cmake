# Tests of the GigE Vision device emulator's behaviour (no sockets).
if(NOT GTest_FOUND OR NOT TARGET gigeemulator)
    return()
endif()
add_executable(tst_emulated_camera ${CMAKE_CURRENT_LIST_DIR}/tst_emulated_camera.cpp)
target_link_libraries(tst_emulated_camera PRIVATE gigeemulator GTest::gtest_main)
add_test(NAME emulated_camera COMMAND tst_emulated_camera)
orvanta_label_test(emulated_camera unit)
