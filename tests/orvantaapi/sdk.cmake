# Tests of the camera SDK. The contract tests link the shared library as a program would; the
# pixel tests link the SDK's internals.
find_package(GTest REQUIRED)

# orvanta_sdk_test(name cameras kind source...): a GoogleTest program against the shared SDK,
# run with the simulated cameras given (ORVANTA_SIM_CAMERAS syntax).
function(orvanta_sdk_test name cameras kind)
    orvanta_add_test(${name} KIND ${kind} SOURCES ${ARGN} sdktestutil.h
        LIBS OrvantaAPI GTest::gtest_main Threads::Threads
        ENV ORVANTA_SIM_CAMERAS=${cameras} ORVANTA_BACKENDS=simulated)
endfunction()

# Status rules, enumeration, nodes, features, user sets, reset, registers.
orvanta_sdk_test(tst_sdk_contract "color:1,mono:1" unit tst_sdk_contract.cpp)

# Acquisition callbacks, the frame ring, grabs and the picture following the settings.
orvanta_sdk_test(tst_sdk_acquisition "color:1,mono:1" unit tst_sdk_acquisition.cpp)

# Stream statistics provoked through the simulated cameras' transfer faults.
orvanta_sdk_test(tst_sdk_statistics "" "unit;tsan" tst_sdk_statistics.cpp)

# Saving and loading feature files, and their report.
orvanta_sdk_test(tst_sdk_features "color:1" unit tst_sdk_features.cpp)

# Calls from many threads at once.
orvanta_sdk_test(tst_sdk_threads "color:1,mono:2" "unit;tsan" tst_sdk_threads.cpp)

# Demosaic, bit-depth reduction, tone tables and the scene (the SDK's internals).
orvanta_add_test(tst_sdk_pixels KIND unit SOURCES tst_sdk_pixels.cpp
    LIBS orvantaapi_core GTest::gtest_main)

# The header doubles as an INI file that the viewer's about box reads with QSettings.
find_package(Qt5 5.15 REQUIRED COMPONENTS Core)
orvanta_add_test(tst_sdk_header KIND unit SOURCES tst_sdk_header.cpp
    LIBS Qt5::Core GTest::gtest_main)
target_compile_definitions(tst_sdk_header PRIVATE
    ORVANTA_HEADER="${PROJECT_SOURCE_DIR}/viewer/sdk/OrvantaAPI.h"
    ORVANTA_PROJECT_VERSION="${PROJECT_VERSION}")
