# Preparing a 1,000-page list report over a real SQLite query: pages a
# second and memory.
tovani_bench(reportengine_bench ${CMAKE_CURRENT_LIST_DIR}/ReportEngineBench.cpp)
target_link_libraries(reportengine_bench PRIVATE reportengine ado)
