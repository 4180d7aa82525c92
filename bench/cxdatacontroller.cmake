# The data controller over 100,000 records: sorting, filtering, grouping and
# footer sums.
tovani_bench(cxdata_controller_bench ${CMAKE_CURRENT_LIST_DIR}/CxDataControllerBench.cpp)
target_link_libraries(cxdata_controller_bench PRIVATE cxdata)
