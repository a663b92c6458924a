# Tests of the camera SDK. The contract tests link the shared library as a program would; the
# pixel tests link the SDK's internals.
find_package(GTest REQUIRED)

# orvanta_sdk_test(name cameras source...): a GoogleTest program against the shared SDK, run
# with the simulated cameras given (ORVANTA_SIM_CAMERAS syntax).
function(orvanta_sdk_test name cameras)
    set(_sources ${ARGN})
    list(TRANSFORM _sources PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
    add_executable(${name} ${_sources} ${CMAKE_CURRENT_LIST_DIR}/sdktestutil.h)
    target_link_libraries(${name} PRIVATE OrvantaAPI GTest::gtest_main Threads::Threads)
    add_test(NAME ${name} COMMAND ${name})
    orvanta_label_test(${name} unit)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "ORVANTA_SIM_CAMERAS=${cameras};ORVANTA_BACKENDS=simulated")
endfunction()

# Status rules, enumeration, nodes, features, user sets, reset, registers.
orvanta_sdk_test(tst_sdk_contract "color:1,mono:1" tst_sdk_contract.cpp)

# Acquisition callbacks, the frame ring, grabs and the picture following the settings.
orvanta_sdk_test(tst_sdk_acquisition "color:1,mono:1" tst_sdk_acquisition.cpp)

# Calls from many threads at once.
orvanta_sdk_test(tst_sdk_threads "color:1,mono:2" tst_sdk_threads.cpp)
orvanta_tsan_test(tst_sdk_threads tst_sdk_threads)

# Demosaic, bit-depth reduction, tone tables and the scene (the SDK's internals).
add_executable(tst_sdk_pixels ${CMAKE_CURRENT_LIST_DIR}/tst_sdk_pixels.cpp)
target_link_libraries(tst_sdk_pixels PRIVATE orvantaapi_core GTest::gtest_main)
add_test(NAME tst_sdk_pixels COMMAND tst_sdk_pixels)
orvanta_label_test(tst_sdk_pixels unit)

# The header doubles as an INI file that the viewer's about box reads with QSettings.
find_package(Qt5 5.15 REQUIRED COMPONENTS Core)
add_executable(tst_sdk_header ${CMAKE_CURRENT_LIST_DIR}/tst_sdk_header.cpp)
target_link_libraries(tst_sdk_header PRIVATE Qt5::Core GTest::gtest_main)
target_compile_definitions(tst_sdk_header PRIVATE
    ORVANTA_HEADER="${PROJECT_SOURCE_DIR}/viewer/sdk/OrvantaAPI.h"
    ORVANTA_PROJECT_VERSION="${PROJECT_VERSION}")
add_test(NAME tst_sdk_header COMMAND tst_sdk_header)
orvanta_label_test(tst_sdk_header unit)
