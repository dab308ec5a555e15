# libFuzzer targets, built with clang on the host (the host compiler is g++, so the fuzzers are
# built by a custom command). Each target also gets a short, seeded run as a ctest test.
include_guard(GLOBAL)

find_program(PAGIX_CLANGXX NAMES clang++ clang++-14)
set(PAGIX_FUZZ_DIR "${CMAKE_BINARY_DIR}/fuzz")
set(PAGIX_FUZZ_SHORT_RUNS 20000 CACHE STRING "Executions of each fuzz target's run under ctest")

# pagix_fuzz_target(NAME [SHORT_RUNS n] SOURCES...): sources are relative to the repository root;
# SHORT_RUNS overrides the executions of the ctest run for a target whose inputs are costly.
function(pagix_fuzz_target name)
  if(NOT PAGIX_CLANGXX)
    return()
  endif()
  cmake_parse_arguments(ARG "" "SHORT_RUNS" "" ${ARGN})
  set(runs ${PAGIX_FUZZ_SHORT_RUNS})
  if(ARG_SHORT_RUNS)
    set(runs ${ARG_SHORT_RUNS})
  endif()
  # One object per source, each with its own dependency file: clang given several sources writes
  # the headers of the last one only, so an edit to another source's header would leave the
  # target stale.
  set(flags -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            "-DPAGIX_PRODUCT_VERSION=\"${PAGIX_PRODUCT_VERSION}\"")
  set(objects)
  foreach(source ${ARG_UNPARSED_ARGUMENTS})
    string(MAKE_C_IDENTIFIER "${source}" stem)
    set(object "${PAGIX_FUZZ_DIR}/${name}-objects/${stem}.o")
    add_custom_command(
      OUTPUT "${object}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${PAGIX_FUZZ_DIR}/${name}-objects"
      COMMAND "${PAGIX_CLANGXX}" ${flags} -Wall -Wextra -Werror -I "${PAGIX_ROOT}"
              -c "${PAGIX_ROOT}/${source}" -MD -MF "${object}.d" -o "${object}"
      DEPENDS "${PAGIX_ROOT}/${source}"
      DEPFILE "${object}.d"
      COMMENT "Compiling ${source} for fuzz target ${name}"
      VERBATIM)
    list(APPEND objects "${object}")
  endforeach()
  set(output "${PAGIX_FUZZ_DIR}/${name}")
  add_custom_command(
    OUTPUT "${output}"
    COMMAND "${PAGIX_CLANGXX}" ${flags} ${objects} -o "${output}"
    DEPENDS ${objects}
    COMMENT "Linking fuzz target ${name}"
    VERBATIM)
  add_custom_target(${name} ALL DEPENDS "${output}")
  set(corpus "${PAGIX_ROOT}/tests/fuzz/corpus/${name}")
  set(work "${PAGIX_FUZZ_DIR}/${name}-work")
  # New inputs go to a scratch folder; the kept corpus is only read.
  add_test(NAME ${name}_short_run
           COMMAND "${CMAKE_COMMAND}" -E env UBSAN_OPTIONS=halt_on_error=1
                   sh -c "mkdir -p '${work}' && '${output}' -runs=${runs} -seed=1 -print_final_stats=1 '${work}' '${corpus}'")
  set_tests_properties(${name}_short_run PROPERTIES TIMEOUT 300 LABELS fuzz)
endfunction()
