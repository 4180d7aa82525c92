# The data controller over 100,000 records: sorting, filtering, grouping and
# footer sums; the dataset controller and the Chinese sort next to their
# anchors (ICU sort keys + std::sort; the query's own open).
tovani_bench(cxdata_controller_bench ${CMAKE_CURRENT_LIST_DIR}/CxDataControllerBench.cpp)
target_link_libraries(cxdata_controller_bench PRIVATE cxdata)

tovani_bench(cxdb_controller_bench ${CMAKE_CURRENT_LIST_DIR}/CxDBDataControllerBench.cpp
             ${CMAKE_CURRENT_LIST_DIR}/CxDataSortAnchorIcu.cpp)
# ICU's headers take a Windows branch under _WIN32: the anchor is Linux code.
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/CxDataSortAnchorIcu.cpp
  PROPERTIES COMPILE_OPTIONS "-U_WIN32;-U_WIN64;-UWIN32;-UWIN64")
target_link_libraries(cxdb_controller_bench PRIVATE cxdata ado icui18n icuuc sqlite3)
