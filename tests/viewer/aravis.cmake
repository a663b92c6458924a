# Main window with Aravis's networked fake camera (arv-fake-gv-camera-0.8 of aravis-tools) in a
# camera namespace of the test network. Aravis discovery broadcasts on every interface, so the
# test command itself enters the network made by tools/netns/testnet.sh.
find_program(ORVANTA_ARV_FAKE_GV arv-fake-gv-camera-0.8)
if(NOT ORVANTA_HAVE_ARAVIS OR NOT ORVANTA_ARV_FAKE_GV)
    return()
endif()

add_executable(tst_mainwindow_aravis ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow_aravis.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow_util.h)
target_include_directories(tst_mainwindow_aravis PRIVATE ${PROJECT_SOURCE_DIR}/tools/netns)
target_link_libraries(tst_mainwindow_aravis PRIVATE viewercore Qt5::Test Threads::Threads)
add_test(NAME tst_mainwindow_aravis COMMAND ${PROJECT_SOURCE_DIR}/tools/netns/testnet.sh
    --cams 1 -- $<TARGET_FILE:tst_mainwindow_aravis>)
set_tests_properties(tst_mainwindow_aravis PROPERTIES LABELS "gui;netns;aravis"
    SKIP_RETURN_CODE 77 TIMEOUT 600 RUN_SERIAL ON
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_DISABLE_STACK_DUMP=1;LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/mainwindow-lsan.supp")
