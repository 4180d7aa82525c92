// Lua 5.4 embedded through its C API (see ScriptBenchLua.h).
#include "ScriptBenchLua.h"

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

struct LuaChunk {
  lua_State* L = nullptr;
  int Ref = LUA_NOREF;   // the compiled chunk, kept in the registry
};

namespace {

// The host function of the call benchmark, the counterpart of a method
// registered with AddMethod.
int AddOne(lua_State* L) {
  lua_pushinteger(L, luaL_checkinteger(L, 1) + 1);
  return 1;
}

}  // namespace

LuaChunk* LuaCompile(const char* Source, std::string& Error) {
  auto* c = new LuaChunk;
  c->L = luaL_newstate();
  luaL_openlibs(c->L);
  lua_register(c->L, "AddOne", AddOne);
  if (luaL_loadstring(c->L, Source) != LUA_OK) {
    Error = lua_tostring(c->L, -1);
    LuaFree(c);
    return nullptr;
  }
  c->Ref = luaL_ref(c->L, LUA_REGISTRYINDEX);
  return c;
}

bool LuaRun(LuaChunk* Chunk, std::string& Error) {
  lua_rawgeti(Chunk->L, LUA_REGISTRYINDEX, Chunk->Ref);
  if (lua_pcall(Chunk->L, 0, 0, 0) != LUA_OK) {
    Error = lua_tostring(Chunk->L, -1);
    lua_pop(Chunk->L, 1);
    return false;
  }
  return true;
}

long long LuaGlobalInteger(LuaChunk* Chunk, const char* Name) {
  lua_getglobal(Chunk->L, Name);
  long long v = lua_tointeger(Chunk->L, -1);
  lua_pop(Chunk->L, 1);
  return v;
}

void LuaFree(LuaChunk* Chunk) {
  if (!Chunk) return;
  lua_close(Chunk->L);
  delete Chunk;
}
