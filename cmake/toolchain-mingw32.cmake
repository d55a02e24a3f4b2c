# The product: 32-bit Windows (i686).
set(BRENVIK_MINGW_ARCH i686)
set(BRENVIK_WINE_LOADER /usr/lib/wine/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
