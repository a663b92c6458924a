# Viewer streaming-path benchmark (a program that prints figures; not a test).
if(TARGET viewercore)
    add_executable(viewer_pipeline ${CMAKE_CURRENT_LIST_DIR}/viewer_pipeline.cpp)
    target_link_libraries(viewer_pipeline PRIVATE viewercore)
endif()
