# Tests of the GVCP client library: message code (unit), and the clients over real sockets
# inside a private test network (label netns; the test command enters the network itself).
if(NOT GTest_FOUND)
    message(STATUS "GoogleTest not found: GVCP tests skipped")
    return()
endif()

add_executable(tst_gvcp_messages ${CMAKE_CURRENT_LIST_DIR}/tst_gvcp_messages.cpp)
target_link_libraries(tst_gvcp_messages PRIVATE gvcp GTest::gtest_main)
add_test(NAME gvcp_messages COMMAND tst_gvcp_messages)
orvanta_label_test(gvcp_messages unit)

# The emulator is a peer on the build machine: a cross build names a native one here.
set(ORVANTA_EMULATOR_PROGRAM "" CACHE FILEPATH
    "Emulator program the GVCP network tests start (default: the one this build makes)")
if(ORVANTA_EMULATOR_PROGRAM)
    set(_gvcp_emulator ${ORVANTA_EMULATOR_PROGRAM})
else()
    set(_gvcp_emulator $<TARGET_FILE:orvanta-gige-emulator>)
endif()

add_executable(tst_gvcp_network ${CMAKE_CURRENT_LIST_DIR}/tst_gvcp_network.cpp
                                 ${CMAKE_CURRENT_LIST_DIR}/GvcpNetworkTest.h)
target_link_libraries(tst_gvcp_network PRIVATE gvcp testnet_guard GTest::gtest)
add_dependencies(tst_gvcp_network orvanta-gige-emulator)
add_test(NAME gvcp_network
         COMMAND ${ORVANTA_TESTNET} --ifaces 2 --cams 1 -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:tst_gvcp_network>)
set_tests_properties(gvcp_network PROPERTIES SKIP_RETURN_CODE 77
    ENVIRONMENT "ORVANTA_EMULATOR=${_gvcp_emulator}")
orvanta_label_test(gvcp_network netns)

# Cross-checks with the Debian GigE Vision tools and tshark (skipped when not installed).
add_executable(tst_gvcp_peers ${CMAKE_CURRENT_LIST_DIR}/tst_gvcp_peers.cpp)
target_link_libraries(tst_gvcp_peers PRIVATE gvcp testnet_guard GTest::gtest)
add_dependencies(tst_gvcp_peers orvanta-gige-emulator)
add_test(NAME gvcp_peers
         COMMAND ${ORVANTA_TESTNET} --cams 1 -- ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:tst_gvcp_peers>)
set_tests_properties(gvcp_peers PROPERTIES SKIP_RETURN_CODE 77
    ENVIRONMENT "ORVANTA_EMULATOR=${_gvcp_emulator}")
orvanta_label_test(gvcp_peers netns)

# Parser fuzzers: built with clang by the test itself, whatever compiler builds the project.
# noasan: the fuzzers carry their own AddressSanitizer build; running them twice adds nothing.
add_test(NAME gvcp_fuzz
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/fuzz/run-fuzzers.sh ${PROJECT_SOURCE_DIR}
                 ${CMAKE_CURRENT_BINARY_DIR}/gvcp-fuzz 20000)
set_tests_properties(gvcp_fuzz PROPERTIES SKIP_RETURN_CODE 77)
orvanta_label_test(gvcp_fuzz fuzz noasan)
