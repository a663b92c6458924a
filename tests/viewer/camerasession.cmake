# The camera session without widgets against simulated cameras; its threads also run under
# ThreadSanitizer.
orvanta_viewer_test(tst_camerasession cameractrl-lsan KIND gui tsan
    ENV "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_CURRENT_SOURCE_DIR}/camerasession-tsan.supp"
    SOURCES tst_camerasession.cpp simcamera.h)

# The analysis tools: histogram, raw samples, statistics and histogram docks, pixel inspector.
orvanta_viewer_test(tst_analysis cameractrl-lsan KIND gui tsan
    ENV "TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_CURRENT_SOURCE_DIR}/camerasession-tsan.supp"
    SOURCES tst_analysis.cpp simcamera.h)
