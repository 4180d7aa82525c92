// Lua 5.4 behind plain functions: the anchor the script engine's speed is
// compared with. Lua's headers take a Windows branch under _WIN32, so the
// embedding lives in a file of its own compiled as Linux code.
#pragma once
#include <string>

struct LuaChunk;

// Compiles a chunk in a new Lua state with the standard libraries and a C
// function "AddOne" (its integer argument plus one). Nil with Error set when
// the chunk does not compile.
LuaChunk* LuaCompile(const char* Source, std::string& Error);
// Runs the compiled chunk once; false with Error set when it raised.
bool LuaRun(LuaChunk* Chunk, std::string& Error);
// An integer global of the chunk's state after a run.
long long LuaGlobalInteger(LuaChunk* Chunk, const char* Name);
void LuaFree(LuaChunk* Chunk);
