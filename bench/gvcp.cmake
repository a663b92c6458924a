# gvcp_bench: READREG round trips and a 50-camera discovery inside the test network.
# Run: cmake --build <dir> --target gvcp_bench_run  (or tools/netns/testnet.sh -- gvcp_bench)
if(TARGET gvcp AND TARGET orvanta-gige-emulator)
    add_executable(gvcp_bench ${CMAKE_CURRENT_LIST_DIR}/gvcp_bench.cpp)
    target_link_libraries(gvcp_bench PRIVATE gvcp testnet_guard)
    add_custom_target(gvcp_bench_run
        COMMAND ${CMAKE_COMMAND} -E env ORVANTA_EMULATOR=$<TARGET_FILE:orvanta-gige-emulator>
                ${ORVANTA_TESTNET} --cams 1 -- $<TARGET_FILE:gvcp_bench>
        DEPENDS gvcp_bench orvanta-gige-emulator USES_TERMINAL)
endif()
