# Feature tree build time and node-list call count against a simulated colour camera.
if(TARGET viewercore)
    add_executable(featuretree_bench ${CMAKE_CURRENT_LIST_DIR}/featuretree_bench.cpp)
    target_link_libraries(featuretree_bench PRIVATE viewercore)
    target_link_options(featuretree_bench PRIVATE "LINKER:--wrap=OrvantaGetNodeList")
endif()
