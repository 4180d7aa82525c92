# Our PNG codec against libpng on the same pictures, pair by pair.
get_filename_component(PNG_LIB_HINT ${BENCHMARK_LIB} DIRECTORY)
find_library(PNG_LIB NAMES png16 png HINTS ${PNG_LIB_HINT})
if(PNG_LIB)
  tovani_bench(png_bench ${CMAKE_CURRENT_LIST_DIR}/PngBench.cpp ${CMAKE_CURRENT_LIST_DIR}/PngBenchLibpng.cpp)
  # libpng's headers take a Windows branch under _WIN32: that file is Linux code.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/PngBenchLibpng.cpp
    PROPERTIES COMPILE_OPTIONS "-U_WIN32;-U_WIN64;-UWIN32;-UWIN64")
  target_link_libraries(png_bench PRIVATE report ${PNG_LIB})
else()
  message(STATUS "libpng not found: png_bench is not built")
endif()
