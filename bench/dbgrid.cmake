# The data grid over a 100,000-row query, next to the query's own open time:
# opening and showing the first screen, paging and going to the end,
# footers summing every row. Needs an X display (the grid is a real window).
tovani_bench(dbgrid_bench ${CMAKE_CURRENT_LIST_DIR}/DBGridBench.cpp)
target_link_libraries(dbgrid_bench PRIVATE dbgrid ado)
