# The sales statistics window's queries over 100,000 orders, next to plain
# sqlite3 running the same SQL.
tovani_bench(salestat_bench ${CMAKE_CURRENT_LIST_DIR}/SaleStatBench.cpp)
target_link_libraries(salestat_bench PRIVATE app)
