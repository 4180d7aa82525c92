// String list work the program does in bulk: sorting a large list of names
// with the Chinese collation, and building a sorted list one Add at a time.
#include <random>
#include "Strings.h"
#include "benchmark.h"

namespace {

std::vector<String> Names(size_t count) {
  static const char* const kSurnames[] = {"张", "王", "李", "赵", "刘", "陈", "杨", "黄", "周", "吴"};
  static const char* const kGiven[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋"};
  std::mt19937 rng(42);
  std::vector<String> names;
  names.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (rng() % 4 == 0)
      names.push_back("Customer " + std::to_string(rng() % 100000));
    else
      names.push_back(String(kSurnames[rng() % 10]) + kGiven[rng() % 10] + kGiven[rng() % 10] +
                      std::to_string(rng() % 1000));
  }
  return names;
}

void BM_StringListSort(benchmark::State& state) {
  auto names = Names(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TStringList list;
    for (auto& n : names) list.Add(n);
    state.ResumeTiming();
    list.Sort();
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(BM_StringListSort)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_StringListSortedAdd(benchmark::State& state) {
  auto names = Names(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    for (auto& n : names) list.Add(n);
    benchmark::DoNotOptimize(list.Count());
  }
}
BENCHMARK(BM_StringListSortedAdd)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
