# The list report: preparing 1,000 pages (pages a second and memory), and
# preparing and printing next to ReportLab (reportlab_list.py) with the ratio.
tovani_bench(reportengine_bench ${CMAKE_CURRENT_LIST_DIR}/ReportEngineBench.cpp)
target_link_libraries(reportengine_bench PRIVATE reportengine ado)
target_compile_definitions(reportengine_bench PRIVATE TOVANI_BENCH_DIR="${CMAKE_CURRENT_LIST_DIR}")
