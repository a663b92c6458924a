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

orvanta_viewer_test(tst_tools tools-lsan SOURCES tst_tools.cpp)
target_compile_definitions(tst_tools PRIVATE
    ORVANTA_SDK_HEADER="${PROJECT_SOURCE_DIR}/viewer/sdk/OrvantaAPI.h")

foreach(_t treemodel xmlctrl accessregister)
    orvanta_viewer_test(tst_${_t} tools-lsan SOURCES tst_${_t}.cpp)
    orvanta_sdk_spy(tst_${_t})
endforeach()

orvanta_viewer_test(tst_tools_window tools-lsan TIMEOUT 300 SOURCES tst_tools_window.cpp)
