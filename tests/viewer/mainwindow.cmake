# Main window: session, live stream, saving and a stress run against the simulated cameras,
# plus the frame hand-over (no Qt widgets), which also runs under ThreadSanitizer.
foreach(_t session stream save stress)
    orvanta_viewer_test(tst_mainwindow_${_t} mainwindow-lsan TIMEOUT 300
        SOURCES tst_mainwindow_${_t}.cpp tst_mainwindow_util.h)
endforeach()

find_package(GTest REQUIRED)
orvanta_add_test(tst_framehandover KIND unit tsan
    SOURCES tst_framehandover.cpp ${PROJECT_SOURCE_DIR}/viewer/framehandover.cpp
            ${PROJECT_SOURCE_DIR}/viewer/ratewindow.cpp
            ${PROJECT_SOURCE_DIR}/viewer/displaypictures.cpp
    LIBS OrvantaAPI Qt5::Gui GTest::gtest_main Threads::Threads ENV ORVANTA_BACKENDS=simulated)
target_include_directories(tst_framehandover PRIVATE ${PROJECT_SOURCE_DIR}/viewer)
