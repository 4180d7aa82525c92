# The ADO datasets over SQLite: opening a 100,000-row query next to a plain
# sqlite3 step loop, Sort and Filter over those rows, UpdateBatch of 10,000
# inserted rows.
tovani_bench(dataaccess_bench ${CMAKE_CURRENT_LIST_DIR}/DataAccessBench.cpp)
target_link_libraries(dataaccess_bench PRIVATE ado)
