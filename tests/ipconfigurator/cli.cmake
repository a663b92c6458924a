# orvanta-ipconfig run as a program against emulated cameras, inside the test networks of
# net/cli-*.sh; a cross build runs it through its emulator.
if(NOT GTest_FOUND)
    return()
endif()

add_executable(tst_ipconfig_cli tst_ipconfig_cli.cpp GvcpNetworkTest.h)
target_link_libraries(tst_ipconfig_cli PRIVATE namespace_camera GTest::gtest)
add_dependencies(tst_ipconfig_cli orvanta-ipconfig)
string(JOIN " " _ipconfig_runner ${CMAKE_CROSSCOMPILING_EMULATOR})

function(ipconfig_cli_test name network filter)
    orvanta_add_test(${name} KIND netns PROGRAM tst_ipconfig_cli
        COMMAND_PREFIX ${CMAKE_CURRENT_SOURCE_DIR}/netns-run.sh
            ${CMAKE_CURRENT_SOURCE_DIR}/net/${network}.sh --
        ARGS --gtest_filter=${filter}
        ENV ORVANTA_IPCONFIG=$<TARGET_FILE:orvanta-ipconfig>
            "ORVANTA_IPCONFIG_RUNNER=${_ipconfig_runner}" ORVANTA_TESTNET=${ORVANTA_TESTNET})
endfunction()
ipconfig_cli_test(ipconfig_cli cli-cameras "IpConfigCli.*")
ipconfig_cli_test(ipconfig_cli_check cli-check "IpConfigCliCheck.*")
