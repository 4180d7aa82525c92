// Typing into regular-expression masks: the cost of one key with nested
// repetitions (the position is kept free of duplicate states) and with the
// date-time mask of the format controller.
#include "benchmark.h"
#include "cxFormats.h"
#include "cxRegExpr.h"

namespace {
void TypeDigits(benchmark::State& State, const char* Mask) {
  TcxRegExpr R;
  R.Compile(Mask);
  const String Digits(static_cast<size_t>(State.range(0)), '7');
  for (auto _ : State) {
    R.Restart();
    String Accepted;
    R.AdvanceText(Digits, Accepted);
    benchmark::DoNotOptimize(Accepted);
  }
  State.SetItemsProcessed(State.iterations() * State.range(0));
}

void BM_NestedRepeat(benchmark::State& State) { TypeDigits(State, "((\\d+)*\\d)*"); }
BENCHMARK(BM_NestedRepeat)->Arg(10)->Arg(100)->Arg(1000);

void BM_PlainRepeat(benchmark::State& State) { TypeDigits(State, "\\d+"); }
BENCHMARK(BM_PlainRepeat)->Arg(10)->Arg(100)->Arg(1000);

void BM_DateTimeMask(benchmark::State& State) {
  TcxRegExpr R;
  R.SetForcedContinuation(true);
  R.Compile(cxGetFormatController()->DateTimeRegExprMask);
  for (auto _ : State) {
    R.Restart();
    for (char c : String("20240515235900")) {
      char32_t Ch = static_cast<unsigned char>(c);
      R.Advance(Ch);
    }
    benchmark::DoNotOptimize(R.InFinalState());
  }
}
BENCHMARK(BM_DateTimeMask);
}  // namespace
