# The program's packed debug information, embedded by a second link pass.
#
#   brenvik_embed_debug_payload(<target>)
#
# Call it after the target's sources, libraries and link options are complete. A first-pass
# executable <target>FirstPass is linked from the same objects and libraries; dbgpack reads its
# COFF symbols and DWARF line tables and writes the payload; <target> itself is linked with the
# payload as resource "QOR"/"EXCEPT" added. The resource section lies after code and data, so no
# address moves: dbgpack compares the code bytes and symbol values of both passes after the link
# and fails the build when anything differs. Only the 32-bit program carries the payload (its
# tables hold 32-bit addresses).
include_guard(GLOBAL)

if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(dbgpack_dir ${CMAKE_BINARY_DIR}/host/dbgpack)
  ExternalProject_Add(dbgpack_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/dbgpack
    BINARY_DIR ${dbgpack_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${dbgpack_dir}/dbgpack)
  set(BRENVIK_DBGPACK ${dbgpack_dir}/dbgpack CACHE INTERNAL "debug payload writer")
  set(BRENVIK_DBGPACK_DEPENDS dbgpack_host ${dbgpack_dir}/dbgpack CACHE INTERNAL "")
endif()

function(brenvik_embed_debug_payload target)
  set(first ${target}FirstPass)
  get_target_property(sources ${target} SOURCES)
  # Both passes must link the same objects: a source compiled for each pass can differ in its
  # debug information (the compiler cache may bring it from another checkout).
  foreach(source IN LISTS sources)
    if(source MATCHES "\\.(c|cc|cpp|cxx)$")
      message(FATAL_ERROR "${target}: compile ${source} in a library or object library, not "
                          "as a source of the program (both link passes take the same objects)")
    endif()
  endforeach()
  get_target_property(libraries ${target} LINK_LIBRARIES)
  get_target_property(options ${target} LINK_OPTIONS)
  get_target_property(win32 ${target} WIN32_EXECUTABLE)
  add_executable(${first} ${sources})
  set_target_properties(${first} PROPERTIES WIN32_EXECUTABLE "${win32}")
  target_link_libraries(${first} PRIVATE ${libraries})
  if(options)
    target_link_options(${first} PRIVATE ${options})
  endif()
  if(TARGET ${target}_forms)
    add_dependencies(${first} ${target}_forms)
  endif()
  set_target_properties(${first} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

  set(payload ${CMAKE_CURRENT_BINARY_DIR}/${target}.qorpayload)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_debug_payload.rc)
  add_custom_command(OUTPUT ${payload}
    COMMAND ${BRENVIK_DBGPACK} pack $<TARGET_FILE:${first}> ${payload}
    DEPENDS ${first} ${BRENVIK_DBGPACK_DEPENDS}
    COMMENT "Packing the debug information of ${target}"
    VERBATIM)
  # A resource script names the resource first, then its type.
  file(CONFIGURE OUTPUT ${script} CONTENT "EXCEPT QOR \"${payload}\"\n")
  target_sources(${target} PRIVATE ${script})
  set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${payload})
  add_custom_target(${target}_debug_payload DEPENDS ${payload})
  add_dependencies(${target} ${target}_debug_payload)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${BRENVIK_DBGPACK} compare $<TARGET_FILE:${first}> $<TARGET_FILE:${target}>
    COMMENT "Comparing the two link passes of ${target}"
    VERBATIM)
endfunction()
