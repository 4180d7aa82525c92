# The ADO datasets over SQLite, each next to a plain sqlite3 anchor doing the
# same work: reading every field of a 100,000-row query, writing 10,000 new
# rows with UpdateBatch. Besides: Sort and Filter over those rows, deletes in
# datasets of growing size, Jet SQL translation of growing texts.
tovani_bench(dataaccess_bench ${CMAKE_CURRENT_LIST_DIR}/DataAccessBench.cpp)
target_link_libraries(dataaccess_bench PRIVATE ado)
