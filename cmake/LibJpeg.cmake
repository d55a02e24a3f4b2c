# The libjpeg (IJG interface) library as target `brenvik_jpeg`.
# Windows builds: libjpeg-turbo compiled from Debian's source package (fetched once by
# tools/lib.sh into the build tree, BRENVIK_LIBJPEG_SOURCE) with this build's toolchain, static,
# into this build tree; a rebuild finds it there and compiles nothing again.
# Native build: the system's libjpeg-turbo (Debian's libjpeg62-turbo-dev).
if(TARGET brenvik_jpeg)
  return()
endif()

if(WIN32)
  set(BRENVIK_LIBJPEG_SOURCE "" CACHE PATH "libjpeg-turbo sources (tools/lib.sh fetches Debian's)")
  if(NOT EXISTS "${BRENVIK_LIBJPEG_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR "BRENVIK_LIBJPEG_SOURCE does not name the libjpeg-turbo sources; build through tools/test or tools/run, which fetch them")
  endif()
  include(ExternalProject)
  set(jpeg_prefix ${CMAKE_BINARY_DIR}/third-party/libjpeg-turbo)
  set(jpeg_library ${jpeg_prefix}/install/lib/libjpeg.a)
  ExternalProject_Add(libjpeg_turbo_build
    SOURCE_DIR ${BRENVIK_LIBJPEG_SOURCE}
    PREFIX ${jpeg_prefix}
    BINARY_DIR ${jpeg_prefix}/build
    INSTALL_DIR ${jpeg_prefix}/install
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_INSTALL_PREFIX=<INSTALL_DIR>
      -DCMAKE_INSTALL_LIBDIR=lib
      -DCMAKE_C_COMPILER_LAUNCHER=ccache
      -DENABLE_SHARED=OFF
      -DENABLE_STATIC=ON
      -DWITH_TURBOJPEG=OFF
      -DWITH_SIMD=OFF
    BUILD_BYPRODUCTS ${jpeg_library}
    # Only the library: its command-line tools and tests are not needed here.
    BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target jpeg-static
    INSTALL_COMMAND ${CMAKE_COMMAND} -E make_directory <INSTALL_DIR>/lib <INSTALL_DIR>/include
      COMMAND ${CMAKE_COMMAND} -E copy <BINARY_DIR>/libjpeg.a <INSTALL_DIR>/lib/libjpeg.a
      COMMAND ${CMAKE_COMMAND} -E copy <SOURCE_DIR>/jpeglib.h <SOURCE_DIR>/jmorecfg.h <SOURCE_DIR>/jerror.h
              <BINARY_DIR>/jconfig.h <INSTALL_DIR>/include/)
  file(MAKE_DIRECTORY ${jpeg_prefix}/install/include)
  add_library(brenvik_jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(brenvik_jpeg PROPERTIES
    IMPORTED_LOCATION ${jpeg_library}
    INTERFACE_INCLUDE_DIRECTORIES ${jpeg_prefix}/install/include)
  add_dependencies(brenvik_jpeg libjpeg_turbo_build)
else()
  find_package(JPEG REQUIRED)
  add_library(brenvik_jpeg INTERFACE IMPORTED GLOBAL)
  target_link_libraries(brenvik_jpeg INTERFACE JPEG::JPEG)
endif()
