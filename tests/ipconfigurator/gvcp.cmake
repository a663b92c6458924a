# Tests of the GVCP client library: message code (unit), and the clients over real sockets
# inside a private test network (label netns; the test command enters the network itself).
if(NOT GTest_FOUND)
    message(STATUS "GoogleTest not found: GVCP tests skipped")
    return()
endif()

add_executable(tst_gvcp_messages ${CMAKE_CURRENT_LIST_DIR}/tst_gvcp_messages.cpp)
target_link_libraries(tst_gvcp_messages PRIVATE gvcp GTest::gtest_main)
add_test(NAME gvcp_messages COMMAND tst_gvcp_messages)
orvanta_label_test(gvcp_messages unit)
