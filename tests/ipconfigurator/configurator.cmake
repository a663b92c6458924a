# Tests of the configurator application. Tests that open sockets run inside a private test
# network made by netns-run.sh (network files in net/); ctest enters it, never the caller.
find_package(Qt5 5.15 REQUIRED COMPONENTS Widgets Network Test)
set(_ipc_tests ${CMAKE_CURRENT_LIST_DIR})

function(configurator_test_program name)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE ipconfiguratorcore Qt5::Test)
endfunction()

function(configurator_set_env testname)
    set_tests_properties(${testname} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_DISABLE_STACK_DUMP=1;${ARGN}")
endfunction()

# configurator_netns_test(testname program network [test functions...]): runs the program with
# the given Qt Test functions inside the network described by net/<network>.sh.
function(configurator_netns_test testname program network)
    add_test(NAME ${testname}
        COMMAND ${_ipc_tests}/netns-run.sh ${_ipc_tests}/net/${network}.sh --
                $<TARGET_FILE:${program}> ${ARGN})
    set_tests_properties(${testname} PROPERTIES LABELS "configurator;netns" SKIP_RETURN_CODE 77)
    configurator_set_env(${testname})
endfunction()

configurator_test_program(tst_configurator_ipctrl ${_ipc_tests}/tst_ipctrl.cpp)
add_test(NAME configurator_ipctrl COMMAND tst_configurator_ipctrl)
set_tests_properties(configurator_ipctrl PROPERTIES LABELS "configurator;gui")
configurator_set_env(configurator_ipctrl)

configurator_test_program(tst_configurator_interfaces ${_ipc_tests}/tst_findinterface.cpp)
configurator_netns_test(configurator_interfaces_one_physical tst_configurator_interfaces
    one-physical onePhysical)
configurator_netns_test(configurator_interfaces_mixed tst_configurator_interfaces
    mixed-addresses mixedAddresses)
configurator_netns_test(configurator_interfaces_two tst_configurator_interfaces
    two-physical twoPhysical)
