# Tests of the viewer's tool classes: log, camera list, about box, centre cross, zoom view,
# feature tree model and node editor, register dialog.

# orvanta_sdk_spy(target): links the SDK call recorder of sdkspy.cpp into a test; the viewer's
# calls of the recorded functions then pass through it (linker --wrap).
set(_sdk_spied OrvantaGetNodeList OrvantaGetNodeInfo OrvantaGetNodeInt OrvantaGetNodeEnum
    OrvantaSetNodeInt OrvantaSetNodeFloat OrvantaSetNodeBoolean OrvantaSetNodeString
    OrvantaSetNodeCommand OrvantaReadRegister OrvantaWriteRegiser)
function(orvanta_sdk_spy target)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/sdkspy.cpp)
    foreach(_fn IN LISTS _sdk_spied)
        target_link_options(${target} PRIVATE "LINKER:--wrap=${_fn}")
    endforeach()
endfunction()

# orvanta_tools_test(name sources...): a viewer test that leaves Qt's offscreen screen leak out
# of the leak report and never reaches a real camera backend.
function(orvanta_tools_test name)
    orvanta_viewer_test(${name} ${ARGN})
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
        "ORVANTA_BACKENDS=simulated"
        "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/tools-lsan.supp")
endfunction()

orvanta_tools_test(tst_tools tst_tools.cpp)
target_compile_definitions(tst_tools PRIVATE
    ORVANTA_SDK_HEADER="${PROJECT_SOURCE_DIR}/viewer/sdk/OrvantaAPI.h")

orvanta_tools_test(tst_treemodel tst_treemodel.cpp)
orvanta_sdk_spy(tst_treemodel)

orvanta_tools_test(tst_xmlctrl tst_xmlctrl.cpp)
orvanta_sdk_spy(tst_xmlctrl)

orvanta_tools_test(tst_accessregister tst_accessregister.cpp)
orvanta_sdk_spy(tst_accessregister)

orvanta_tools_test(tst_tools_window tst_tools_window.cpp)
set_tests_properties(tst_tools_window PROPERTIES TIMEOUT 300)
