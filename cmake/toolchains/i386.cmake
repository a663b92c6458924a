# Cross build for Debian's i386 architecture with its multiarch packages
# (crossbuild-essential-i386, qtbase5-dev:i386, pkg-config:i386). The host's moc, uic and rcc
# are used by the target's Qt configuration files.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE BOTH)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")

# Programs of this architecture run natively where the kernel runs 32-bit x86 programs;
# kernels built without that support run them through qemu-user.
execute_process(COMMAND /lib/ld-linux.so.2 --help RESULT_VARIABLE _ia32_result OUTPUT_QUIET ERROR_QUIET)
if(NOT _ia32_result EQUAL 0)
    set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
endif()
