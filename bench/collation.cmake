tovani_bench(collation_bench ${CMAKE_CURRENT_SOURCE_DIR}/CollationBench.cpp)
target_link_libraries(collation_bench PRIVATE rtl)
