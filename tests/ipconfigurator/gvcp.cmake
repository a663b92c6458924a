# Tests of the GVCP client library: message code (unit), and the clients over real sockets
# inside a private test network (kind netns; the test command enters the network itself).
if(NOT GTest_FOUND)
    message(STATUS "GoogleTest not found: GVCP tests skipped")
    return()
endif()

add_executable(tst_gvcp_messages tst_gvcp_messages.cpp)
target_link_libraries(tst_gvcp_messages PRIVATE gvcp GTest::gtest_main)
orvanta_add_test(gvcp_messages KIND unit PROGRAM tst_gvcp_messages)

add_executable(tst_gvcp_address tst_gvcp_address.cpp)
target_link_libraries(tst_gvcp_address PRIVATE gvcp GTest::gtest_main)
orvanta_add_test(gvcp_address KIND unit PROGRAM tst_gvcp_address)

add_executable(tst_gvcp_netcheck tst_gvcp_netcheck.cpp)
target_link_libraries(tst_gvcp_netcheck PRIVATE gvcp GTest::gtest_main)
orvanta_add_test(gvcp_netcheck KIND unit PROGRAM tst_gvcp_netcheck)

# The emulator is a peer on the build machine: a cross build names a native one here.
set(ORVANTA_EMULATOR_PROGRAM "" CACHE FILEPATH
    "Emulator program the GVCP network tests start (default: the one this build makes)")
if(ORVANTA_EMULATOR_PROGRAM)
    set(_gvcp_emulator ${ORVANTA_EMULATOR_PROGRAM})
else()
    set(_gvcp_emulator $<TARGET_FILE:orvanta-gige-emulator>)
endif()

# gvcp_network_test(name testnet-options source...): a GoogleTest program against emulated
# cameras in a test network made with the given options.
function(gvcp_network_test name source options)
    add_executable(tst_${name} ${source} ${ARGN})
    target_link_libraries(tst_${name} PRIVATE gvcp testnet_guard GTest::gtest)
    add_dependencies(tst_${name} orvanta-gige-emulator)
    orvanta_add_test(${name} KIND netns PROGRAM tst_${name}
        COMMAND_PREFIX ${ORVANTA_TESTNET} ${options} --
        ENV ORVANTA_EMULATOR=${_gvcp_emulator})
endfunction()
gvcp_network_test(gvcp_network tst_gvcp_network.cpp "--ifaces;2;--cams;1" GvcpNetworkTest.h)
# Cross-checks with the Debian GigE Vision tools and tshark (skipped when not installed).
gvcp_network_test(gvcp_peers tst_gvcp_peers.cpp "--cams;1")

# Parser fuzzers: built with clang by the test itself, whatever compiler builds the project.
# noasan: the fuzzers carry their own AddressSanitizer build; running them twice adds nothing.
orvanta_add_test(gvcp_fuzz KIND unit LABELS fuzz noasan
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/run-fuzzers.sh ${PROJECT_SOURCE_DIR}
            ${CMAKE_CURRENT_BINARY_DIR}/gvcp-fuzz 20000)
