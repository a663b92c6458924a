# The configurator's window and widgets (ipconfiguratorcore, also linked by the tests) and the
# program OrvantaIPConfigurator (main.cpp, the icon resource and both libraries).
find_package(Qt5 5.15 REQUIRED COMPONENTS Widgets Concurrent Network)

set(_ipc ${CMAKE_CURRENT_SOURCE_DIR})
add_library(ipconfiguratorcore STATIC
    ${_ipc}/configtasks.cpp ${_ipc}/configtasks.h
    ${_ipc}/findinterface.cpp ${_ipc}/findinterface.h
    ${_ipc}/ipaddress.cpp ${_ipc}/ipaddress.h
    ${_ipc}/ipctrl.cpp ${_ipc}/ipctrl.h
    ${_ipc}/progressdlg.cpp ${_ipc}/progressdlg.h ${_ipc}/progressdlg.ui
    ${_ipc}/widget.cpp ${_ipc}/widget.h ${_ipc}/widget.ui)
set_target_properties(ipconfiguratorcore PROPERTIES AUTOMOC ON AUTOUIC ON)
target_include_directories(ipconfiguratorcore PUBLIC ${_ipc} ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(ipconfiguratorcore PUBLIC
    gvcp Qt5::Widgets Qt5::Concurrent Qt5::Network Threads::Threads)

# The resource is compiled into the program itself: a static library would drop it.
add_executable(OrvantaIPConfigurator ${_ipc}/main.cpp ${_ipc}/resource.qrc)
set_target_properties(OrvantaIPConfigurator PROPERTIES AUTORCC ON)
target_link_libraries(OrvantaIPConfigurator PRIVATE ipconfiguratorcore)
install(TARGETS OrvantaIPConfigurator RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
