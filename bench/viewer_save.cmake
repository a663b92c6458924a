# Viewer saving benchmark (a program that prints figures; not a test).
if(TARGET viewercore)
    add_executable(viewer_save ${CMAKE_CURRENT_LIST_DIR}/viewer_save.cpp)
    target_link_libraries(viewer_save PRIVATE viewercore)
endif()
