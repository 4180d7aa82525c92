tovani_bench(script_bench ${CMAKE_CURRENT_LIST_DIR}/ScriptBench.cpp)
target_link_libraries(script_bench PRIVATE script)
