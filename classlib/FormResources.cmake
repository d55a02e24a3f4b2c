# Form layouts: text files compiled at build time into the binary component stream by the host
# tool formc (tools/formc) and embedded as RCDATA resources named after the form class.
#
#   brenvik_add_form_resources(<target> [FULL_WIDTH_VALUES] <layout.form>...)
#
# FULL_WIDTH_VALUES writes integers as 32-bit values and texts with 32-bit lengths (formc
# --full-width-values), for layouts read by a reader that accepts only those value types.
# Windows build: the compiled layouts become resources of <target> (a resource script is added
# to its sources). Native build: the layouts are compiled (so syntax errors fail the build) and
# the binaries are left in <current binary dir>/forms/ for tests.

if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(formc_dir ${CMAKE_BINARY_DIR}/host/formc)
  ExternalProject_Add(formc_host
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/formc
    BINARY_DIR ${formc_dir}
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${formc_dir}/formc)
  set(BRENVIK_FORMC ${formc_dir}/formc CACHE INTERNAL "form layout compiler")
  set(BRENVIK_FORMC_DEPENDS formc_host ${formc_dir}/formc CACHE INTERNAL "")
else()
  add_subdirectory(${CMAKE_SOURCE_DIR}/tools/formc ${CMAKE_BINARY_DIR}/tools/formc)
  set(BRENVIK_FORMC $<TARGET_FILE:formc> CACHE INTERNAL "form layout compiler")
  set(BRENVIK_FORMC_DEPENDS formc CACHE INTERNAL "")
endif()

function(brenvik_add_form_resources target)
  cmake_parse_arguments(PARSE_ARGV 1 form "FULL_WIDTH_VALUES" "" "")
  # A target may embed layouts of both widths: each call has its own resource script and target.
  set(formc_options)
  set(suffix "")
  if(form_FULL_WIDTH_VALUES)
    set(formc_options --full-width-values)
    set(suffix "_full_width")
  endif()
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/forms)
  file(MAKE_DIRECTORY ${out_dir})
  set(bins)
  set(scripts)
  set(includes "")
  foreach(layout ${form_UNPARSED_ARGUMENTS})
    get_filename_component(layout_path ${layout} ABSOLUTE)
    get_filename_component(stem ${layout} NAME_WE)
    set(bin ${out_dir}/${stem}.bin)
    set(script ${out_dir}/${stem}.rc)
    add_custom_command(OUTPUT ${bin} ${script}
      COMMAND ${BRENVIK_FORMC} ${formc_options} ${layout_path} ${bin} ${script}
      DEPENDS ${layout_path} ${BRENVIK_FORMC_DEPENDS}
      COMMENT "Compiling form layout ${stem}"
      VERBATIM)
    list(APPEND bins ${bin})
    list(APPEND scripts ${script})
    string(APPEND includes "#include \"${script}\"\n")
  endforeach()
  if(WIN32)
    set(master ${out_dir}/${target}_forms${suffix}.rc)
    file(CONFIGURE OUTPUT ${master} CONTENT "${includes}")
    target_sources(${target} PRIVATE ${master})
    set_property(SOURCE ${master} APPEND PROPERTY OBJECT_DEPENDS ${bins} ${scripts})
  endif()
  add_custom_target(${target}_forms${suffix} DEPENDS ${bins} ${scripts})
  add_dependencies(${target} ${target}_forms${suffix})
endfunction()
