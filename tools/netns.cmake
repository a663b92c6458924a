# testnet_guard: header that network tests use to refuse running outside the test network.
add_library(testnet_guard INTERFACE)
target_include_directories(testnet_guard INTERFACE ${CMAKE_CURRENT_LIST_DIR}/netns)
# The script that makes the test network and runs a command inside it.
set(ORVANTA_TESTNET ${CMAKE_CURRENT_LIST_DIR}/netns/testnet.sh CACHE INTERNAL "")
target_link_libraries(testnet_guard INTERFACE Threads::Threads)
