# Build settings and helpers shared by every folder.

set(BRENVIK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")

if(WIN32)
  # The crash-report engine walks frame chains and looks up symbols and lines: keep both.
  add_compile_options(-Wall -Wextra -fno-omit-frame-pointer -g1)
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

# Default time limit of one test: a hung Wine process fails the run instead of stalling it.
set(BRENVIK_TEST_TIMEOUT 60)

# brenvik_add_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [LABELS ...] [NO_MAIN])
# Adds a GoogleTest executable and registers each of its tests with CTest. Under the Windows
# build CTest runs it through Wine (CMAKE_CROSSCOMPILING_EMULATOR); tests are listed when CTest
# starts, so the build needs no Wine.
function(brenvik_add_test name)
  cmake_parse_arguments(T "NO_MAIN" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
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
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${name}>
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${platform};${T_LABELS}")
endfunction()

# brenvik_add_fuzz_target(<name> SOURCES ... [LIBS ...])
# A libFuzzer target of the native clang build; CTest runs it for a bounded number of inputs.
function(brenvik_add_fuzz_target name)
  cmake_parse_arguments(F "" "RUNS" "SOURCES;LIBS" ${ARGN})
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
  add_test(NAME fuzz.${name} COMMAND ${name} -runs=${F_RUNS} -max_total_time=60 -seed=1)
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120 LABELS "native;fuzz")
endfunction()
