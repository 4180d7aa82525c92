# Memo text layout against text length (10k, 20k, 40k characters): laying
# out, preparing over pages and loading the prepared pages, beside the
# system's own word wrapping of the same text.
tovani_bench(memolayout_bench ${CMAKE_CURRENT_LIST_DIR}/MemoLayoutBench.cpp)
target_link_libraries(memolayout_bench PRIVATE reportengine)
