# Main window with Aravis's networked fake camera (arv-fake-gv-camera-0.8 of aravis-tools) in a
# camera namespace of the test network. Aravis discovery broadcasts on every interface, so the
# test command itself enters the network made by tools/netns/testnet.sh.
find_program(ORVANTA_ARV_FAKE_GV arv-fake-gv-camera-0.8)
if(NOT ORVANTA_HAVE_ARAVIS OR NOT ORVANTA_ARV_FAKE_GV)
    return()
endif()

# The cases that stream at full rate run alone; those that mostly wait run beside other tests.
orvanta_add_test(tst_mainwindow_aravis KIND gui netns LABELS aravis TIMEOUT 600 SERIAL
    SOURCES tst_mainwindow_aravis.cpp tst_mainwindow_util.h testsettings.cpp
    LIBS viewercore Qt5::Test Threads::Threads
    COMMAND_PREFIX ${ORVANTA_TESTNET} --cams 1 -- ARGS --streaming
    ENV LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/mainwindow-lsan.supp)
target_include_directories(tst_mainwindow_aravis PRIVATE ${PROJECT_SOURCE_DIR}/tools/netns)
orvanta_add_test(tst_mainwindow_aravis_waiting KIND gui netns LABELS aravis TIMEOUT 300
    PROGRAM tst_mainwindow_aravis COMMAND_PREFIX ${ORVANTA_TESTNET} --cams 1 -- ARGS --waiting
    ENV LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/mainwindow-lsan.supp)
set_tests_properties(tst_mainwindow_aravis_waiting PROPERTIES COST 50)

# The fake camera killed and started again while the window streams it (ORVANTA_REPLUG_CYCLES
# cycles, 5 here). It mostly waits for the camera to go and come back, so it runs beside other
# tests.
orvanta_add_test(tst_mainwindow_replug KIND gui netns LABELS aravis TIMEOUT 180
    SOURCES tst_mainwindow_replug.cpp tst_mainwindow_util.h
    LIBS viewercore Qt5::Test Threads::Threads
    COMMAND_PREFIX ${ORVANTA_TESTNET} --cams 1 --
    ENV LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/mainwindow-lsan.supp)
target_include_directories(tst_mainwindow_replug PRIVATE ${PROJECT_SOURCE_DIR}/tools/netns)
set_tests_properties(tst_mainwindow_replug PROPERTIES COST 70) # started first: the longest wait
