# Shared build settings and helper functions for both builds.
include_guard(GLOBAL)

set(PAGIX_ROOT "${CMAKE_CURRENT_LIST_DIR}/..")
cmake_path(NORMAL_PATH PAGIX_ROOT)

if(WIN32)
  set(PAGIX_WIN32 ON)
else()
  set(PAGIX_WIN32 OFF)
endif()

# The Windows build is made for 32-bit x86 (win32, the programs that are released) or, from the
# same sources, for x86-64 (win64: the Windows tests on machines that cannot start 32-bit
# programs; never released). The tests take what they expect of the architecture from here:
# PAGIX_WINDOWS_ARCH is also the Wine prefix the programs run in, PAGIX_PE_MACHINE the machine
# type of their PE headers.
if(PAGIX_WIN32)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(PAGIX_WINDOWS_ARCH win64)
    set(PAGIX_PE_MACHINE amd64)
    set(PAGIX_MANIFEST_ARCHITECTURE amd64)
    set(PAGIX_ENTRY_SYMBOL WinMainCRTStartup)
  else()
    set(PAGIX_WINDOWS_ARCH win32)
    set(PAGIX_PE_MACHINE i386)
    set(PAGIX_MANIFEST_ARCHITECTURE x86)
    # C names carry a leading underscore on i686.
    set(PAGIX_ENTRY_SYMBOL _WinMainCRTStartup)
  endif()
endif()

# The scripts of the build and the tests run with Debian's Python, which has python3-pefile; an
# interpreter found earlier on PATH (pyenv's, a virtual environment's) may lack it.
find_program(PAGIX_SYSTEM_PYTHON3 python3 PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)

# Warnings are errors everywhere.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Werror)

if(PAGIX_WIN32)
  # C-style code: no exceptions, no RTTI, no unwind tables, a section per function that the linker
  # may drop. msvcrt's own printf family is used (mingw's C99 printf would add about 30 KB).
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=0 WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501)
  # No -fdata-sections: for Windows targets GCC names a variable's own section ".data$name" even
  # when the variable is zero-initialised, so every static buffer would leave .bss and be stored
  # in the executable as zeros (64 KiB for the uninstaller's read buffer alone).
  add_compile_options(-ffunction-sections)
  add_link_options(-static -Wl,--gc-sections -Wl,--dynamicbase -Wl,--nxcompat)
  # Reproducible programs: no link time in the PE header, and no folder of this checkout or its
  # build in any output (assertion texts and the like name files relative to the source tree).
  add_link_options(-Wl,--no-insert-timestamp)
  # The build folder lies inside the checkout; of several matching maps the last one applies.
  string(REGEX REPLACE "/$" "" root "${PAGIX_ROOT}")
  add_compile_options("-ffile-prefix-map=${root}/=" "-ffile-prefix-map=${CMAKE_BINARY_DIR}/=build/")
endif()

include(Release)

# The version resource writes the four numbers with commas.
string(REPLACE "." "," PAGIX_FILE_VERSION_NUMBERS "${PROJECT_VERSION}")

# pagix_program_manifest(TARGET RC_SOURCE TEMPLATE): the program manifest TEMPLATE (NAME.in) made
# for the build's architecture as NAME in the current binary folder, where the resource compiler
# finds it for RC_SOURCE of TARGET.
function(pagix_program_manifest target rc_source template)
  get_filename_component(name "${template}" NAME_WLE)
  set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${name}")
  configure_file("${template}" "${manifest}" @ONLY)
  target_include_directories(${target} PRIVATE "${CMAKE_CURRENT_BINARY_DIR}")
  set_property(SOURCE "${rc_source}" APPEND PROPERTY OBJECT_DEPENDS "${manifest}")
endfunction()

set(PAGIX_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

# pagix_core_library(NAME SOURCES... [DEPENDS core libraries...])
# A platform-free library, built in both presets. On the host a second variant NAME_san is built
# with ASan and UBSan for the unit tests; tools and benchmarks link the plain one. DEPENDS names
# other such libraries; each variant links the matching variant of each.
function(pagix_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  set(sources ${ARG_UNPARSED_ARGUMENTS})
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC "${PAGIX_ROOT}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  if(PAGIX_WIN32)
    target_compile_options(${name} PRIVATE -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
  else()
    add_library(${name}_san STATIC ${sources})
    target_include_directories(${name}_san PUBLIC "${PAGIX_ROOT}")
    target_compile_options(${name}_san PUBLIC ${PAGIX_SANITIZE_FLAGS})
    target_link_options(${name}_san PUBLIC ${PAGIX_SANITIZE_FLAGS})
    list(TRANSFORM ARG_DEPENDS APPEND _san)
    target_link_libraries(${name}_san PUBLIC ${ARG_DEPENDS})
  endif()
endfunction()

# pagix_win32_library(NAME SOURCES... [LIBS libs...])
# A thin Win32 layer, built in the win32 preset only, with the installer's size-minded flags.
function(pagix_win32_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC "${PAGIX_ROOT}")
  target_compile_options(${name} PRIVATE -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables)
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
endfunction()

# pagix_host_test(NAME SOURCES... LIBS libs...)
# A native GoogleTest program with ASan and UBSan; each test case becomes a ctest test.
function(pagix_host_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${PAGIX_ROOT}")
  target_compile_options(${name} PRIVATE ${PAGIX_SANITIZE_FLAGS})
  target_link_options(${name} PRIVATE ${PAGIX_SANITIZE_FLAGS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
endfunction()

# pagix_wine_run(TEST SESSION COMMAND...)
# A ctest test that runs a Windows program under Wine in one of the build's private sessions:
# "wine" stands for Windows of the build's architecture, "wine64" (32-bit build only) for 64-bit
# Windows, where the 32-bit programs run under WoW64 (a 32-bit registry view, a system folder of
# their own, a 64-bit shell).
function(pagix_wine_run test session)
  add_test(NAME ${test} COMMAND ${ARGN})
  set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${session}_session TIMEOUT 300
    SKIP_RETURN_CODE 77 ENVIRONMENT "PAGIX_WINE_STATE=${CMAKE_BINARY_DIR}/${session}")
endfunction()

# pagix_wine_test(NAME SOURCES... LIBS libs... [ARGS args] [WOW64_FILTER filter])
# A Windows GoogleTest program that ctest runs under Wine in the build's private prefix. With
# WOW64_FILTER, the 32-bit build runs the tests it names (a gtest filter, "*" for all) a second
# time as NAME_wow64 in the 64-bit prefix; the 64-bit build's own prefix is that one already.
function(pagix_wine_test name)
  cmake_parse_arguments(ARG "" "WOW64_FILTER" "SOURCES;LIBS;ARGS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${PAGIX_ROOT}")
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} pagix_wine_test_support gtest gmock)
  pagix_wine_run(${name} wine ${name} ${ARG_ARGS})
  if(ARG_WOW64_FILTER AND PAGIX_WINDOWS_ARCH STREQUAL "win32")
    pagix_wine_run(${name}_wow64 wine64 ${name} ${ARG_ARGS} "--gtest_filter=${ARG_WOW64_FILTER}")
  endif()
endfunction()

# pagix_wine_session(NAME STATE_DIR ENVIRONMENT): a private Wine session of its own in STATE_DIR,
# started and stopped under ENVIRONMENT (a list of NAME=value, such as the locale or the DPI) as
# the ctest fixture wine_session_NAME.
function(pagix_wine_session name state environment)
  foreach(action start stop)
    add_test(NAME wine_session_${name}_${action}
             COMMAND "${PAGIX_ROOT}/scripts/wine-session.sh" ${action} "${state}"
                     ${PAGIX_WINDOWS_ARCH} ${PAGIX_PE_MACHINE})
  endforeach()
  set_tests_properties(wine_session_${name}_start PROPERTIES
    FIXTURES_SETUP wine_session_${name} TIMEOUT 600 ENVIRONMENT "${environment}")
  set_tests_properties(wine_session_${name}_stop PROPERTIES
    FIXTURES_CLEANUP wine_session_${name} ENVIRONMENT "${environment}")
endfunction()

# The private Wine sessions of this build tree: Windows of the build's architecture, and in the
# 32-bit build also 64-bit Windows.
set(PAGIX_WINE_STATE "${CMAKE_BINARY_DIR}/wine")
set(PAGIX_WINE64_STATE "${CMAKE_BINARY_DIR}/wine64")
