# Typing into regular-expression masks: one character at a time.
if(TARGET cxedit)
  tovani_bench(regexmask_bench ${CMAKE_CURRENT_LIST_DIR}/RegExprMaskBench.cpp)
  target_link_libraries(regexmask_bench PRIVATE cxedit)
endif()
