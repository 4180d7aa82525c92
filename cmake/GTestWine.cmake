# GoogleTest, built from Debian's sources as its Linux variant: under wineg++
# _WIN32 is predefined and would send GoogleTest down its Windows branch.
set(GTEST_SRC /usr/src/googletest/googletest)
if(NOT EXISTS ${GTEST_SRC}/src/gtest-all.cc)
  message(FATAL_ERROR "GoogleTest sources not found in ${GTEST_SRC} (install libgtest-dev)")
endif()
add_library(tovani_gtest STATIC ${GTEST_SRC}/src/gtest-all.cc)
target_include_directories(tovani_gtest SYSTEM PUBLIC ${GTEST_SRC}/include)
target_include_directories(tovani_gtest PRIVATE ${GTEST_SRC})
target_compile_options(tovani_gtest PRIVATE -U_WIN32 -U_WIN64 -UWIN32 -UWIN64 -w)

add_library(tovani_gtest_main STATIC ${CMAKE_SOURCE_DIR}/platform/testsupport/TestMain.cpp)
target_include_directories(tovani_gtest_main PUBLIC ${CMAKE_SOURCE_DIR}/platform/testsupport)
target_link_libraries(tovani_gtest_main PUBLIC tovani_gtest)
set_source_files_properties(${CMAKE_SOURCE_DIR}/platform/testsupport/TestMain.cpp
  PROPERTIES COMPILE_OPTIONS "-U_WIN32;-U_WIN64;-UWIN32;-UWIN64")
