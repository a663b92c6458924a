# Tests of the configurator application. Tests that open sockets run inside a private test
# network made by netns-run.sh (network files in net/); ctest enters it, never the caller.
find_package(Qt5 5.15 REQUIRED COMPONENTS Widgets Network Test)
set(_ipc_tests ${CMAKE_CURRENT_SOURCE_DIR})
set(_ipc_lsan LSAN_OPTIONS=suppressions=${_ipc_tests}/configurator-lsan.supp)

# The window driver, with the emulated cameras of the camera namespaces.
add_library(configurator_testkit STATIC windowdriver.cpp windowdriver.h)
set_target_properties(configurator_testkit PROPERTIES AUTOMOC ON)
target_include_directories(configurator_testkit PUBLIC ${_ipc_tests})
target_link_libraries(configurator_testkit PUBLIC ipconfiguratorcore namespace_camera Qt5::Test)

function(configurator_test_program name)
    add_executable(${name} ${ARGN})
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE configurator_testkit)
endfunction()

# configurator_netns_test(testname program network [test functions...]): runs the program with
# the given Qt Test functions inside the network described by net/<network>.sh.
function(configurator_netns_test testname program network)
    orvanta_add_test(${testname} KIND netns gui LABELS configurator PROGRAM ${program}
        COMMAND_PREFIX ${_ipc_tests}/netns-run.sh ${_ipc_tests}/net/${network}.sh --
        ARGS ${ARGN} ENV ${_ipc_lsan} ORVANTA_TESTNET=${ORVANTA_TESTNET})
endfunction()

configurator_test_program(tst_configurator_ipctrl tst_ipctrl.cpp)
orvanta_add_test(configurator_ipctrl KIND gui LABELS configurator
    PROGRAM tst_configurator_ipctrl ENV ${_ipc_lsan})

configurator_test_program(tst_configurator_ipaddress tst_ipaddress.cpp)
orvanta_add_test(configurator_ipaddress KIND gui LABELS configurator
    PROGRAM tst_configurator_ipaddress ENV ${_ipc_lsan})

configurator_test_program(tst_configurator_interfaces tst_findinterface.cpp)
configurator_netns_test(configurator_interfaces_one_physical tst_configurator_interfaces
    one-physical onePhysical)
configurator_netns_test(configurator_interfaces_mixed tst_configurator_interfaces
    mixed-addresses mixedAddresses)
configurator_netns_test(configurator_interfaces_two tst_configurator_interfaces
    two-physical twoPhysical)

configurator_test_program(tst_configurator_window tst_configurator_window.cpp)
configurator_netns_test(configurator_window_one_interface tst_configurator_window
    window-one-interface oneInterfaceTreeAndPanels closingWhileDiscovering)
configurator_netns_test(configurator_window_three_interfaces tst_configurator_window
    window-three-interfaces threeInterfaces)
configurator_netns_test(configurator_window_static_ip tst_configurator_window
    wrong-subnet wrongSubnetCameraGetsStaticAddress forcedAddressIsPersistentWithUnchangedMask
    unusableAddressesAreNotForced)

configurator_test_program(tst_configurator_config tst_configurator_config.cpp)
configurator_netns_test(configurator_config_writes tst_configurator_config config-one-camera
    onlyTheUserNameChanged longNamesAreCutShortNamesPadded staticWithUnchangedAddressesWritesNothing
    dhcpOnAPersistentCamera newStaticAddressIsMadePersistentAndTaken
    theWindowStaysResponsiveWhileTheListIsSearchedAgain)
configurator_netns_test(configurator_config_errors tst_configurator_config config-one-camera
    cameraOpenFail setUserIdErrorStillSetsTheConfiguration setStaticIpError setConfigurationError
    answeringNoKeepsTheCamera)
configurator_netns_test(configurator_config_address_checks tst_configurator_config address-checks
    refusedAddressesWriteNothing)

# Many emulated cameras in one search, by the window and by orvanta-ipconfig (40 here;
# ORVANTA_MANY_CAMERAS=200 through netns-run.sh gives the full figures).
configurator_test_program(tst_many_cameras tst_many_cameras.cpp)
add_dependencies(tst_many_cameras orvanta-gige-emulator orvanta-ipconfig)
orvanta_add_test(configurator_many_cameras KIND netns gui LABELS configurator
    PROGRAM tst_many_cameras TIMEOUT 120
    COMMAND_PREFIX ${_ipc_tests}/netns-run.sh ${_ipc_tests}/net/many-cameras.sh --
    ENV ${_ipc_lsan} ORVANTA_TESTNET=${ORVANTA_TESTNET}
        ORVANTA_CAMERA_EMULATOR=${_gvcp_emulator}
        ORVANTA_IPCONFIG=$<TARGET_FILE:orvanta-ipconfig>
        "ORVANTA_IPCONFIG_RUNNER=${_ipconfig_runner}")
