# Camera control dock: the 64-bit spin box, the dock against simulated cameras, the ROI
# preview, and the dock inside the main window while streaming. Simulated cameras only.
foreach(_t qlonglongspinbox cameractrl roipreview cameractrl_stream)
    orvanta_viewer_test(tst_${_t} ${CMAKE_CURRENT_LIST_DIR}/tst_${_t}.cpp
        ${CMAKE_CURRENT_LIST_DIR}/tst_cameractrl_support.h)
    set_property(TEST tst_${_t} APPEND PROPERTY ENVIRONMENT "ORVANTA_BACKENDS=simulated"
        "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/cameractrl-lsan.supp")
    set_tests_properties(tst_${_t} PROPERTIES TIMEOUT 300)
endforeach()
# The save options are read by another thread and the preview worker runs on its own.
foreach(_t cameractrl roipreview)
    orvanta_tsan_test(tst_${_t} tst_${_t})
    set_property(TEST tst_${_t} APPEND PROPERTY ENVIRONMENT
        "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_CURRENT_LIST_DIR}/cameractrl-tsan.supp")
endforeach()
