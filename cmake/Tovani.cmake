# Helpers shared by every library folder.

include(${CMAKE_CURRENT_LIST_DIR}/UnityBuild.cmake)

# tovani_library(name SOURCES ... DEPS ...): one static library per folder.
function(tovani_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LINUX_SOURCES" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES} ${A_LINUX_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  if(A_DEPS)
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  endif()
  tovani_linux_sources(${A_LINUX_SOURCES})
  tovani_unity_build(${name} ${A_SOURCES})
endfunction()

# Sources that include Linux library headers which test _WIN32 (ICU, libjpeg,
# GoogleTest) are compiled as Linux code: they must include no Windows header
# and expose plain functions to the rest.
function(tovani_linux_sources)
  if(ARGN)
    set_source_files_properties(${ARGN} DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
      PROPERTIES COMPILE_OPTIONS "-U_WIN32;-U_WIN64;-UWIN32;-UWIN64" SKIP_UNITY_BUILD_INCLUSION ON)
  endif()
endfunction()

# The linker writes NAME.exe and NAME.exe.so: naming the output NAME.exe
# lets the build see an executable is up to date instead of linking it again
# at every build. Run it as wine <output>.so.
function(tovani_exe_suffix name)
  set_target_properties(${name} PROPERTIES SUFFIX ".exe")
endfunction()

# Every test command runs in a test slot of its own (display and Wine prefix,
# see scripts/testslot.sh), so that test executables can run side by side.
set(TOVANI_TEST_SLOT bash ${CMAKE_SOURCE_DIR}/scripts/testslot.sh)
# The longest test executables start first when tests run side by side
# (CTest's own timings exist only after a first run).
set(TOVANI_LONG_TESTS app_tests reportengine_tests cxeditors_tests dbgrid_tests)

# tovani_test(name SOURCES ... DEPS ...): one test executable per library,
# run under Wine through CTest.
function(tovani_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  if(NOT TOVANI_BUILD_TESTS)
    return()
  endif()
  add_executable(${name} ${A_SOURCES})
  tovani_exe_suffix(${name})
  target_link_libraries(${name} PRIVATE ${A_DEPS} tovani_gtest_main)
  tovani_unity_build(${name} ${A_SOURCES})
  # The test sources themselves are compiled with light optimisation: they
  # do little work of their own (the libraries they test keep -O2), and -Og
  # compiles them a third faster, which is most of a cold build's test part.
  target_compile_options(${name} PRIVATE -Og)
  target_link_options(${name} PRIVATE -mconsole -municode)
  target_compile_definitions(${name} PRIVATE TOVANI_TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
                             TOVANI_TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}"
                             TOVANI_SHARED_TESTDATA="${TOVANI_SHARED_TESTDATA}")
  add_test(NAME ${name} COMMAND ${TOVANI_TEST_SLOT} wine $<TARGET_FILE:${name}>.so
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "WINEPREFIX=${TOVANI_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree=\\;mshtml="
    TIMEOUT 1200)
  list(FIND TOVANI_LONG_TESTS ${name} long)
  if(long GREATER -1)
    math(EXPR cost "1000 - 100 * ${long}")
    set_tests_properties(${name} PROPERTIES COST ${cost})
  endif()
endfunction()

# tovani_program(name SOURCES ... DEPS ...): a GUI program.
function(tovani_program name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  tovani_exe_suffix(${name})
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  target_link_options(${name} PRIVATE -mwindows -municode)
endfunction()

# tovani_unmanaged_windows(test): the test's windows are unmanaged. Under
# Xvfb there is no window manager, and Wine would wait for one whenever a
# managed top-level window is hidden.
function(tovani_unmanaged_windows name)
  if(NOT TARGET ${name})
    return()
  endif()
  add_test(NAME ${name}_unmanaged_windows
           COMMAND ${TOVANI_TEST_SLOT} --each wine reg add "HKCU\\Software\\Wine\\AppDefaults\\${name}.exe\\X11 Driver" /v Managed /d N /f)
  set_tests_properties(${name}_unmanaged_windows PROPERTIES
    ENVIRONMENT "WINEPREFIX=${TOVANI_WINEPREFIX};WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree=\\;mshtml="
    FIXTURES_SETUP ${name}_windows)
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${name}_windows)
endfunction()
