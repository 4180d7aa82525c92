// The script engine on the work report scripts do most: a long loop of
// integer additions and deep recursion of a script function.
#include "Strings.h"
#include "benchmark.h"
#include "fs_iinterpreter.h"

namespace {

std::unique_ptr<TfsScript> Compiled(const char* text) {
  auto script = std::make_unique<TfsScript>(nullptr);
  script->AddRTTI();
  script->Lines()->SetText(text);
  if (!script->Compile()) throw Exception(script->ErrorText + " at " + script->ErrorLocation);
  return script;
}

void BM_ScriptLoopAdditions(benchmark::State& state) {
  auto script = Compiled(
      "var i: Integer; sum: Variant;\n"
      "begin sum := 0; for i := 1 to 1000000 do sum := sum + i; end.");
  for (auto _ : state) script->Execute();
  if (script->Find("sum")->ReadValue().AsInt64() != 500000500000LL) state.SkipWithError("wrong sum");
}
BENCHMARK(BM_ScriptLoopAdditions)->Unit(benchmark::kMillisecond);

void BM_ScriptFibonacci25(benchmark::State& state) {
  auto script = Compiled(
      "var r: Integer;\n"
      "function Fib(n: Integer): Integer;\n"
      "begin if n < 2 then Result := n else Result := Fib(n - 1) + Fib(n - 2); end;\n"
      "begin r := Fib(25); end.");
  for (auto _ : state) script->Execute();
  if (script->Find("r")->ReadValue().AsInteger() != 75025) state.SkipWithError("wrong fib");
}
BENCHMARK(BM_ScriptFibonacci25)->Unit(benchmark::kMillisecond);

}  // namespace
