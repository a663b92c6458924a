# Main window: session, live stream, saving and a stress run against the simulated cameras,
# plus the Qt-free frame hand-over, which also runs under ThreadSanitizer.
foreach(_t session stream save stress)
    orvanta_viewer_test(tst_mainwindow_${_t} ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow_${_t}.cpp
        ${CMAKE_CURRENT_LIST_DIR}/tst_mainwindow_util.h)
    set_property(TEST tst_mainwindow_${_t} APPEND PROPERTY ENVIRONMENT "ORVANTA_BACKENDS=simulated"
        "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/mainwindow-lsan.supp")
    set_tests_properties(tst_mainwindow_${_t} PROPERTIES TIMEOUT 300)
endforeach()

find_package(GTest REQUIRED)
add_executable(tst_framehandover ${CMAKE_CURRENT_LIST_DIR}/tst_framehandover.cpp
    ${PROJECT_SOURCE_DIR}/viewer/framehandover.cpp ${PROJECT_SOURCE_DIR}/viewer/ratewindow.cpp)
target_include_directories(tst_framehandover PRIVATE ${PROJECT_SOURCE_DIR}/viewer)
target_link_libraries(tst_framehandover PRIVATE OrvantaAPI GTest::gtest_main Threads::Threads)
add_test(NAME tst_framehandover COMMAND tst_framehandover)
set_tests_properties(tst_framehandover PROPERTIES LABELS "unit"
    ENVIRONMENT "ORVANTA_BACKENDS=simulated")
orvanta_tsan_test(tst_framehandover tst_framehandover)
