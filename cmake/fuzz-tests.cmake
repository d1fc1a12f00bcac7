# Short fuzz passes as part of the test suite, so the fuzz targets keep building and running.
# They are registered only when clang++ can link libFuzzer; `make test` builds the fuzz
# configuration itself first, so there a missing toolchain fails the run instead of skipping.
set(ZOLT_FUZZ_SECONDS 3 CACHE STRING "Seconds each fuzz target runs inside the test suite")

if(NOT DEFINED ZOLT_HAVE_LIBFUZZER)
  set(probe ${CMAKE_BINARY_DIR}/libfuzzer-probe)
  file(WRITE ${probe}.cpp "#include <stddef.h>\n#include <stdint.h>\n"
       "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t *, size_t) { return 0; }\n")
  execute_process(COMMAND clang++ -fsanitize=fuzzer,address,undefined ${probe}.cpp -o ${probe}
                  RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  if(probe_result EQUAL 0)
    set(ZOLT_HAVE_LIBFUZZER ON CACHE BOOL "clang++ links libFuzzer")
  else()
    set(ZOLT_HAVE_LIBFUZZER OFF CACHE BOOL "clang++ links libFuzzer")
  endif()
endif()

if(NOT ZOLT_HAVE_LIBFUZZER)
  message(WARNING "clang++ with libFuzzer is missing: the fuzz passes are left out of this test "
                  "suite (scripts/ensure-deps.sh test installs clang and libclang-rt-14-dev)")
  return()
endif()

file(GLOB ZOLT_FUZZ_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/*.cpp)
list(REMOVE_ITEM ZOLT_FUZZ_TEST_SOURCES ${CMAKE_SOURCE_DIR}/fuzz/support.cpp)
set(runner ${CMAKE_SOURCE_DIR}/fuzz/run.sh)
add_test(NAME fuzz_build COMMAND bash ${runner} build)
set_tests_properties(fuzz_build PROPERTIES FIXTURES_SETUP fuzzers TIMEOUT 900 LABELS "fuzz;slow")
foreach(source ${ZOLT_FUZZ_TEST_SOURCES})
  get_filename_component(name ${source} NAME_WE)
  add_test(NAME fuzz_${name} COMMAND bash ${runner} run ${name} ${ZOLT_FUZZ_SECONDS})
  set_tests_properties(fuzz_${name} PROPERTIES FIXTURES_REQUIRED fuzzers LABELS "fuzz;slow")
endforeach()
