# Build settings and helpers shared by every folder.

set(BRENVIK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")

if(WIN32)
  # The crash-report engine walks frame chains and looks up symbols and lines: keep both.
  add_compile_options(-Wall -Wextra -fno-omit-frame-pointer -g1)
  # The function analyser follows a function's code from its entry: in the product GCC must keep
  # the cold (throwing) paths inside their function instead of moving them to a separate section.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_options(-fno-reorder-blocks-and-partition)
  endif()
  # The same code builds for i686 and x86_64: a value that a conversion may cut short, and an
  # integer cast to a pointer of another size, are errors in both.
  add_compile_options(-Wconversion -Werror=conversion -Werror=int-to-pointer-cast)
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
else()
  add_compile_options(-Wall -Wextra -fno-omit-frame-pointer -g
                      -fsanitize=address,undefined -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # The portable code also runs in the 32-bit program: a 64-bit value cut to 32 bits is an error.
    add_compile_options(-Werror=shorten-64-to-32)
  endif()
endif()

# brenvik_fuzz_coverage(ON|OFF): from here on, the folders added are compiled with (or without)
# coverage instrumentation for the fuzz targets (native clang build only). libFuzzer steers by the
# edges of the code it calls, so the libraries the fuzz targets link must carry it, not only the
# harness; test code and GoogleTest need none. The sanitizer runtime every native program links
# provides the callbacks in programs that are not fuzz targets.
function(brenvik_fuzz_coverage state)
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  get_directory_property(options COMPILE_OPTIONS)
  list(REMOVE_ITEM options -fsanitize=fuzzer-no-link)
  if(state)
    list(APPEND options -fsanitize=fuzzer-no-link)
  endif()
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${options}")
endfunction()

# Default time limit of one test: a hung Wine process fails the run instead of stalling it.
set(BRENVIK_TEST_TIMEOUT 60)

# brenvik_add_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [LABELS ...] [NO_MAIN] [SERIAL]
#                  [WHOLE])
# Adds a GoogleTest executable and registers each of its tests with CTest. WHOLE registers the
# program as one CTest test instead (for programs whose shared fixture is costly to load: each
# registered test would load it in a process of its own). SERIAL runs its tests
# alone (tests that read the screen or move the pointer, which other tests' windows disturb). Under the Windows
# build CTest runs it through Wine (CMAKE_CROSSCOMPILING_EMULATOR); tests are listed when CTest
# starts, so the build needs no Wine.
function(brenvik_add_test name)
  cmake_parse_arguments(T "NO_MAIN;SERIAL;WHOLE" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT ${BRENVIK_TEST_TIMEOUT})
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  endif()
  if(WIN32)
    set(platform windows)
  else()
    set(platform native)
  endif()
  set(serial FALSE)
  if(T_SERIAL)
    set(serial TRUE)
  endif()
  if(T_WHOLE)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>)
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${platform};${T_LABELS}"
                                            RUN_SERIAL ${serial})
    return()
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${platform};${T_LABELS}" RUN_SERIAL ${serial})
endfunction()

# brenvik_add_fuzz_target(<name> SOURCES ... [LIBS ...] [RUNS n] [SEEDS dir])
# A libFuzzer target of the native clang build; CTest runs it for a bounded number of inputs,
# starting from the real inputs in SEEDS (default: corpus/<name> beside the CMakeLists.txt, when
# present). What the run finds goes to a corpus in the build tree, emptied before each run.
function(brenvik_add_fuzz_target name)
  cmake_parse_arguments(F "" "RUNS;SEEDS" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  if(NOT F_RUNS)
    set(F_RUNS 200000)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(NOT F_SEEDS AND IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
    set(F_SEEDS ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  endif()
  set(found ${CMAKE_CURRENT_BINARY_DIR}/${name}-found)
  add_test(NAME fuzz.${name}
    COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && shift && exec \"$@\""
            fuzz ${found} $<TARGET_FILE:${name}> -runs=${F_RUNS} -max_total_time=60 -seed=1 ${found} ${F_SEEDS})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120 LABELS "native;fuzz")
endfunction()
