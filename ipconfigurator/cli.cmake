# orvanta-ipconfig: the configurator's command-line tool, on the gvcp library alone (no Qt).
set(_cli ${CMAKE_CURRENT_LIST_DIR}/cli)
add_executable(orvanta-ipconfig
    ${_cli}/main.cpp
    ${_cli}/CommandLine.cpp ${_cli}/CommandLine.h
    ${_cli}/Commands.cpp ${_cli}/Commands.h
    ${_cli}/Json.cpp ${_cli}/Json.h)
target_link_libraries(orvanta-ipconfig PRIVATE gvcp)
install(TARGETS orvanta-ipconfig RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
