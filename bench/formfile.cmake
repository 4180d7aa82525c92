# Reading and writing a large text form file (components, properties, references).
tovani_bench(formfile_bench ${CMAKE_CURRENT_LIST_DIR}/FormFileBench.cpp)
target_link_libraries(formfile_bench PRIVATE classes)
