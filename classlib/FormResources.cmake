# Form layouts: text files compiled at build time into the binary component stream by the host
# tool formc (tools/formc) and embedded as RCDATA resources named after the form class.
#
#   brenvik_add_form_resources(<target> <layout.form>...)
#
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
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/forms)
  file(MAKE_DIRECTORY ${out_dir})
  set(bins)
  set(scripts)
  set(includes "")
  foreach(layout ${ARGN})
    get_filename_component(layout_path ${layout} ABSOLUTE)
    get_filename_component(stem ${layout} NAME_WE)
    set(bin ${out_dir}/${stem}.bin)
    set(script ${out_dir}/${stem}.rc)
    add_custom_command(OUTPUT ${bin} ${script}
      COMMAND ${BRENVIK_FORMC} ${layout_path} ${bin} ${script}
      DEPENDS ${layout_path} ${BRENVIK_FORMC_DEPENDS}
      COMMENT "Compiling form layout ${stem}"
      VERBATIM)
    list(APPEND bins ${bin})
    list(APPEND scripts ${script})
    string(APPEND includes "#include \"${script}\"\n")
  endforeach()
  if(WIN32)
    set(master ${out_dir}/${target}_forms.rc)
    file(CONFIGURE OUTPUT ${master} CONTENT "${includes}")
    target_sources(${target} PRIVATE ${master})
    set_property(SOURCE ${master} APPEND PROPERTY OBJECT_DEPENDS ${bins} ${scripts})
  endif()
  add_custom_target(${target}_forms DEPENDS ${bins} ${scripts})
  add_dependencies(${target} ${target}_forms)
endfunction()
