# The 64-bit Windows build (x86_64): the same code, so that the Windows tests run under wine64
# on machines whose kernel cannot run 32-bit programs. The product stays the 32-bit build.
set(BRENVIK_MINGW_ARCH x86_64)
set(BRENVIK_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
