# The script engine paired with Lua 5.4 (Debian's liblua5.4-dev).
get_filename_component(LUA_LIB_HINT ${BENCHMARK_LIB} DIRECTORY)
find_library(LUA_LIB NAMES lua5.4 HINTS ${LUA_LIB_HINT})
find_path(LUA_INCLUDE lua.h PATHS /usr/include/lua5.4 NO_DEFAULT_PATH)
if(LUA_LIB AND LUA_INCLUDE)
  tovani_bench(script_bench ${CMAKE_CURRENT_LIST_DIR}/ScriptBench.cpp ${CMAKE_CURRENT_LIST_DIR}/ScriptBenchLua.cpp)
  # Lua's headers take a Windows branch under _WIN32: that file is Linux code.
  set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ScriptBenchLua.cpp
    PROPERTIES COMPILE_OPTIONS "-U_WIN32;-U_WIN64;-UWIN32;-UWIN64"
    INCLUDE_DIRECTORIES ${LUA_INCLUDE})
  target_link_libraries(script_bench PRIVATE script ${LUA_LIB})
else()
  message(STATUS "Lua 5.4 not found: script_bench is not built")
endif()
