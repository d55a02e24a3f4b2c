# Cross build for Windows with the posix-thread mingw-w64 compilers (the win32-thread variant has
# no std::mutex, which GoogleTest and our threads need). Included by the two toolchain files,
# which set BRENVIK_MINGW_ARCH (i686 or x86_64) and BRENVIK_WINE_LOADER first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${BRENVIK_MINGW_ARCH})
set(TOOLCHAIN_PREFIX ${BRENVIK_MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test executables run under the Wine loader of the same width: the `wine` script always picks
# the 32-bit loader where it is installed, even on a machine that cannot run it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${BRENVIK_WINE_LOADER})
