# Tests of the configurator application. Tests that open sockets run inside a private test
# network made by netns-run.sh (network files in net/); ctest enters it, never the caller.
find_package(Qt5 5.15 REQUIRED COMPONENTS Widgets Network Test)
set(_ipc_tests ${CMAKE_CURRENT_LIST_DIR})

# Emulated cameras served from camera namespaces, and the window driver.
add_library(configurator_testkit STATIC
    ${_ipc_tests}/namespacecamera.cpp ${_ipc_tests}/namespacecamera.h
    ${_ipc_tests}/windowdriver.cpp ${_ipc_tests}/windowdriver.h)
set_target_properties(configurator_testkit PROPERTIES AUTOMOC ON)
target_include_directories(configurator_testkit PUBLIC ${_ipc_tests})
target_link_libraries(configurator_testkit PUBLIC
    ipconfiguratorcore gigeemulator testnet_guard Qt5::Test)

function(configurator_test_program name)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE configurator_testkit)
endfunction()

function(configurator_set_env testname)
    set_tests_properties(${testname} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_DISABLE_STACK_DUMP=1;LSAN_OPTIONS=suppressions=${_ipc_tests}/configurator-lsan.supp;${ARGN}")
endfunction()

# configurator_netns_test(testname program network [test functions...]): runs the program with
# the given Qt Test functions inside the network described by net/<network>.sh.
function(configurator_netns_test testname program network)
    add_test(NAME ${testname}
        COMMAND ${_ipc_tests}/netns-run.sh ${_ipc_tests}/net/${network}.sh --
                ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${program}> ${ARGN})
    set_tests_properties(${testname} PROPERTIES LABELS "configurator;netns" SKIP_RETURN_CODE 77)
    configurator_set_env(${testname} ORVANTA_TESTNET=${ORVANTA_TESTNET})
endfunction()

configurator_test_program(tst_configurator_ipctrl ${_ipc_tests}/tst_ipctrl.cpp)
add_test(NAME configurator_ipctrl COMMAND tst_configurator_ipctrl)
set_tests_properties(configurator_ipctrl PROPERTIES LABELS "configurator;gui")
configurator_set_env(configurator_ipctrl)

find_package(GTest REQUIRED)
add_executable(tst_configurator_guithread ${_ipc_tests}/tst_guithread.cpp)
target_include_directories(tst_configurator_guithread PRIVATE ${PROJECT_SOURCE_DIR}/ipconfigurator)
target_link_libraries(tst_configurator_guithread PRIVATE Qt5::Core GTest::gtest Threads::Threads)
add_test(NAME configurator_guithread COMMAND tst_configurator_guithread)
set_tests_properties(configurator_guithread PROPERTIES LABELS "configurator;unit"
    ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1:suppressions=${_ipc_tests}/configurator-tsan.supp")
orvanta_tsan_test(tst_configurator_guithread configurator_guithread)

configurator_test_program(tst_configurator_ipaddress ${_ipc_tests}/tst_ipaddress.cpp)
add_test(NAME configurator_ipaddress COMMAND tst_configurator_ipaddress)
set_tests_properties(configurator_ipaddress PROPERTIES LABELS "configurator;gui")
configurator_set_env(configurator_ipaddress)

configurator_test_program(tst_configurator_interfaces ${_ipc_tests}/tst_findinterface.cpp)
configurator_netns_test(configurator_interfaces_one_physical tst_configurator_interfaces
    one-physical onePhysical)
configurator_netns_test(configurator_interfaces_mixed tst_configurator_interfaces
    mixed-addresses mixedAddresses)
configurator_netns_test(configurator_interfaces_two tst_configurator_interfaces
    two-physical twoPhysical)

configurator_test_program(tst_configurator_window ${_ipc_tests}/tst_configurator_window.cpp)
configurator_netns_test(configurator_window_one_interface tst_configurator_window
    window-one-interface oneInterfaceTreeAndPanels closingWhileDiscovering)
configurator_netns_test(configurator_window_three_interfaces tst_configurator_window
    window-three-interfaces threeInterfaces)
configurator_netns_test(configurator_window_static_ip tst_configurator_window
    wrong-subnet wrongSubnetCameraGetsStaticAddress forcedAddressIsPersistentWithUnchangedMask
    incompleteAddressIsRefused)

configurator_test_program(tst_configurator_config ${_ipc_tests}/tst_configurator_config.cpp)
configurator_netns_test(configurator_config_writes tst_configurator_config config-one-camera
    onlyTheUserNameChanged longNamesAreCutShortNamesPadded staticWithUnchangedAddressesWritesNothing
    dhcpOnAPersistentCamera newStaticAddressIsMadePersistentAndTaken
    theWindowStaysResponsiveWhileTheListIsSearchedAgain)
configurator_netns_test(configurator_config_errors tst_configurator_config config-one-camera
    cameraOpenFail setUserIdErrorStillSetsTheConfiguration setStaticIpError setConfigurationError
    answeringNoKeepsTheCamera)
