# Camera control dock: the 64-bit spin box, the dock against simulated cameras, the ROI preview.
orvanta_viewer_test(tst_qlonglongspinbox ${CMAKE_CURRENT_LIST_DIR}/tst_qlonglongspinbox.cpp)
orvanta_viewer_test(tst_cameractrl ${CMAKE_CURRENT_LIST_DIR}/tst_cameractrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tst_cameractrl_support.h)
orvanta_viewer_test(tst_roipreview ${CMAKE_CURRENT_LIST_DIR}/tst_roipreview.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tst_cameractrl_support.h)
# The save options are read by another thread and the preview worker runs on its own.
orvanta_tsan_test(tst_cameractrl tst_cameractrl)
orvanta_tsan_test(tst_roipreview tst_roipreview)
