# Debian packages: `cpack` in a build directory makes one .deb of that build's install set, for
# the architecture the build compiles for. A build holds one program (the cross builds: viewer
# for i386, configurator for armhf); each package carries the program's .desktop file and icon.
set(_pkg_dir ${PROJECT_SOURCE_DIR}/packaging)

# orvanta_desktop_entry(program icon): installs the program's menu entry and its 64x64 icon.
function(orvanta_desktop_entry program icon)
    configure_file(${_pkg_dir}/${program}.desktop.in ${PROJECT_BINARY_DIR}/${program}.desktop @ONLY)
    install(FILES ${PROJECT_BINARY_DIR}/${program}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME ${program}.png)
endfunction()

set(_programs "")
if(TARGET OrvantaViewer)
    list(APPEND _programs viewer)
    orvanta_desktop_entry(OrvantaViewer ${_pkg_dir}/icons/OrvantaViewer.png)
endif()
if(TARGET OrvantaIPConfigurator)
    list(APPEND _programs configurator)
    orvanta_desktop_entry(OrvantaIPConfigurator
        ${PROJECT_SOURCE_DIR}/ipconfigurator/OrvantaIPConfigurator.png)
endif()

list(LENGTH _programs _count)
if(NOT _count EQUAL 1)
    message(STATUS "Packages: none from this build (it holds ${_count} programs; "
        "build with -DORVANTA_BUILD_CONFIGURATOR=OFF or -DORVANTA_BUILD_VIEWER=OFF)")
    return()
endif()

# The Debian architecture of the code the compiler makes, not of the machine building it.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -dumpmachine
    OUTPUT_VARIABLE _gnu_type OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND dpkg-architecture -t${_gnu_type} -qDEB_HOST_ARCH
    OUTPUT_VARIABLE ORVANTA_DEB_ARCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET
    RESULT_VARIABLE _arch_result)
if(NOT _arch_result EQUAL 0 OR NOT ORVANTA_DEB_ARCH)
    message(STATUS "Packages: none (dpkg-architecture does not know ${_gnu_type})")
    return()
endif()

set(ORVANTA_PACKAGE_CONTACT "Orvanta camera tools maintainers <maintainers@orvanta.invalid>"
    CACHE STRING "Maintainer field of the Debian packages")

if(_programs STREQUAL "viewer")
    set(CPACK_PACKAGE_NAME orvanta-viewer)
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
        "Machine-vision camera viewer with the camera SDK libOrvantaAPI")
    set(CPACK_PACKAGE_DESCRIPTION "OrvantaViewer lists the cameras the SDK reaches, streams one \
live, edits its features and saves frames. The package also holds the SDK library, its header \
and a sample program.")
    set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
    # The SDK library's shlibs entry, found by dpkg-shlibdeps inside this package; CPack calls
    # ldconfig only for /lib and /usr/lib, so a trigger registers a library under /usr/local.
    set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
    configure_file(${_pkg_dir}/viewer.triggers ${PROJECT_BINARY_DIR}/debian/triggers COPYONLY)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/debian/triggers)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/orvantaapi)
else()
    set(CPACK_PACKAGE_NAME orvanta-ipconfigurator)
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Network set-up tool for GigE Vision cameras")
    set(CPACK_PACKAGE_DESCRIPTION "OrvantaIPConfigurator discovers GigE Vision cameras on \
every physical network interface and sets their name, persistent address and IP \
configuration, or forces an address onto a camera in the wrong subnet. orvanta-ipconfig \
does the same from scripts and checks the PC's network for what keeps cameras from being found.")
    set(CPACK_DEBIAN_PACKAGE_SECTION net)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${ORVANTA_PACKAGE_CONTACT})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ORVANTA_DEB_ARCH})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps looks up the libraries of the target architecture, not the build machine's.
set(ORVANTA_CPACK_ENV ${PROJECT_BINARY_DIR}/CPackEnvironment.cmake)
file(WRITE ${ORVANTA_CPACK_ENV} "set(ENV{DEB_HOST_ARCH} ${ORVANTA_DEB_ARCH})\n")
set(CPACK_PROJECT_CONFIG_FILE ${ORVANTA_CPACK_ENV})
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_BINARY_DIR}/packages)
include(CPack)
