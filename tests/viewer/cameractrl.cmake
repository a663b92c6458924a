# Camera control dock: the 64-bit spin box, the dock against simulated cameras, the ROI
# preview, and the dock inside the main window while streaming. The save options are read by
# another thread and the preview worker runs on its own: those two also run under
# ThreadSanitizer.
set(_tsan_env "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_CURRENT_SOURCE_DIR}/cameractrl-tsan.supp")
foreach(_t qlonglongspinbox cameractrl roipreview cameractrl_stream)
    set(_kind gui)
    if(_t STREQUAL "cameractrl" OR _t STREQUAL "roipreview")
        set(_kind gui tsan)
    endif()
    orvanta_viewer_test(tst_${_t} cameractrl-lsan KIND ${_kind} TIMEOUT 300 ENV ${_tsan_env}
        SOURCES tst_${_t}.cpp simcamera.h)
endforeach()
# The dock's exposure-range reads pass through the test, which can force a range the simulated
# cameras never have.
target_link_options(tst_cameractrl PRIVATE "LINKER:--wrap=OrvantaGetShutterMinMax")
