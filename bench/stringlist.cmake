tovani_bench(stringlist_bench ${CMAKE_CURRENT_LIST_DIR}/StringListBench.cpp)
target_link_libraries(stringlist_bench PRIVATE rtl)
