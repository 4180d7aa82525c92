// The script engine against Lua 5.4 on the work report scripts do most:
// recursion of a script function, a long integer loop and calls of a host
// routine. Each pair runs both sides in the same run, one after the other
// in every iteration; only execution is timed (both sides compile once,
// before the loop). The reported time is the script engine's processor time
// (the machine is shared, so wall time wanders more); the counters give
// Lua's time for the same work and the ratio of the two, by processor time
// ("ratio") and by wall time ("ratio_wall").
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "ScriptBenchLua.h"
#include "Strings.h"
#include "SysUtils.h"
#include "benchmark.h"
#include "fs_iinterpreter.h"

namespace {

// Processor time of the calling thread, in seconds.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

std::unique_ptr<TfsScript> Compiled(const String& text) {
  auto script = std::make_unique<TfsScript>(nullptr);
  script->AddRTTI();
  // The host routine of the call pair: its integer argument plus one.
  script->AddMethod("function AddOne(x: Integer): Integer",
                    [](TObject*, TClass, const String&, TfsMethodHelper* caller) {
                      return Variant(caller->ParamValue(0).AsInteger() + 1);
                    });
  script->Lines()->SetText(text);
  if (!script->Compile()) throw Exception(script->ErrorText + " at " + script->ErrorLocation);
  return script;
}

// Runs the script and the Lua chunk alternately; both must leave Expected
// in their variable Name.
void RunPair(benchmark::State& state, const char* pascal, const char* lua, const char* name, long long expected) {
  auto script = Compiled(pascal);
  std::string error;
  LuaChunk* chunk = LuaCompile(lua, error);
  if (!chunk) {
    state.SkipWithError(error.c_str());
    return;
  }
  using Clock = std::chrono::steady_clock;
  double scriptSeconds = 0, luaSeconds = 0, scriptWall = 0, luaWall = 0;
  for (auto _ : state) {
    const auto w0 = Clock::now();
    const double c0 = ThreadSeconds();
    script->Execute();
    const double c1 = ThreadSeconds();
    const auto w1 = Clock::now();
    if (!LuaRun(chunk, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    const double c2 = ThreadSeconds();
    const auto w2 = Clock::now();
    scriptSeconds += c1 - c0;
    luaSeconds += c2 - c1;
    scriptWall += std::chrono::duration<double>(w1 - w0).count();
    luaWall += std::chrono::duration<double>(w2 - w1).count();
    state.SetIterationTime(c1 - c0);
  }
  const long long ours = script->Find(name)->ReadValue().AsInt64(), theirs = LuaGlobalInteger(chunk, name);
  if (ours != expected || theirs != expected) {
    static std::string message;
    message = "wrong result: " + std::to_string(ours) + " and " + std::to_string(theirs);
    state.SkipWithError(message.c_str());
  }
  LuaFree(chunk);
  const double n = double(state.iterations());
  if (n > 0 && luaSeconds > 0) {
    state.counters["lua_ms"] = luaSeconds / n * 1e3;
    state.counters["ratio"] = scriptSeconds / luaSeconds;
    if (luaWall > 0) state.counters["ratio_wall"] = scriptWall / luaWall;
  }
}

double Minimum(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

void BM_Fib30_ScriptVsLua(benchmark::State& state) {
  RunPair(state,
          "var r: Integer;\n"
          "function Fib(n: Integer): Integer;\n"
          "begin if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2); end;\n"
          "begin r := Fib(30); end.",
          "local function Fib(n) if n < 2 then return n else return Fib(n - 1) + Fib(n - 2) end end\n"
          "r = Fib(30)",
          "r", 832040);
}
BENCHMARK(BM_Fib30_ScriptVsLua)->Unit(benchmark::kMillisecond)->UseManualTime()->ComputeStatistics("min", Minimum);

void BM_Loop10M_ScriptVsLua(benchmark::State& state) {
  RunPair(state,
          "var i, sum: Integer;\n"
          "begin sum := 0; for i := 1 to 10000000 do sum := sum + i mod 7; end.",
          "local s = 0\n"
          "for i = 1, 10000000 do s = s + i % 7 end\n"
          "sum = s",
          "sum", 29999997);
}
BENCHMARK(BM_Loop10M_ScriptVsLua)->Unit(benchmark::kMillisecond)->UseManualTime()->ComputeStatistics("min", Minimum);

void BM_HostCalls1M_ScriptVsLua(benchmark::State& state) {
  RunPair(state,
          "var i, s: Integer;\n"
          "begin s := 0; for i := 1 to 1000000 do s := AddOne(i); end.",
          "local t = 0\n"
          "for i = 1, 1000000 do t = AddOne(i) end\n"
          "s = t",
          "s", 1000001);
}
BENCHMARK(BM_HostCalls1M_ScriptVsLua)->Unit(benchmark::kMillisecond)->UseManualTime()->ComputeStatistics("min", Minimum);

}  // namespace

namespace {

// Compiling a script of N top-level variable declarations: the time per
// declaration stays flat as N grows (the fitted complexity is printed).
void BM_CompileDeclarations(benchmark::State& state) {
  const Integer n = Integer(state.range(0));
  String text = "var\n";
  for (Integer i = 0; i < n; ++i) text += "  v" + IntToStr(i) + ": Integer;\n";
  text += "begin end.";
  for (auto _ : state) {
    state.PauseTiming();
    auto script = std::make_unique<TfsScript>(nullptr);
    script->AddRTTI();
    script->Lines()->SetText(text);
    state.ResumeTiming();
    if (!script->Compile()) state.SkipWithError(script->ErrorText.c_str());
    state.PauseTiming();
    script.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_CompileDeclarations)->RangeMultiplier(3)->Range(1000, 81000)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace
