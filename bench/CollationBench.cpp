// Sorting 100,000 mixed Chinese and ASCII names with the Chinese collation:
// comparing the texts directly against sorting by precomputed sort keys.
#include <algorithm>
#include <random>
#include "Collation.h"
#include "benchmark.h"

namespace {

std::vector<String> MakeNames(size_t count) {
  static const char* const kSurnames[] = {"李", "王", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                          "徐", "孙", "胡", "朱", "高", "林", "何", "郭", "马", "罗"};
  static const char* const kGiven[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军",
                                       "洋", "勇", "艳", "杰", "娟", "涛", "明", "超", "秀兰", "霞"};
  static const char* const kLatin[] = {"Smith", "johnson", "Williams", "brown", "Jones", "Garcia",
                                       "miller", "Davis", "Wang Lei", "Li Na"};
  std::mt19937 rng(12345);
  std::vector<String> names;
  names.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    String name;
    if (rng() % 4 == 0) {
      name = kLatin[rng() % 10];
      name += " " + std::to_string(rng() % 1000);
    } else {
      name = String(kSurnames[rng() % 20]) + kGiven[rng() % 20];
      if (rng() % 3 == 0) name += kGiven[rng() % 20];
      if (rng() % 5 == 0) name += "A" + std::to_string(rng() % 100);
    }
    names.push_back(std::move(name));
  }
  return names;
}

const std::vector<String>& Names() {
  static const std::vector<String> names = MakeNames(100000);
  return names;
}

void BM_SortDirectCompare(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<String> v = Names();
    std::sort(v.begin(), v.end(), [](const String& a, const String& b) { return AnsiCompareText(a, b) < 0; });
    benchmark::DoNotOptimize(v.data());
  }
}
BENCHMARK(BM_SortDirectCompare)->Unit(benchmark::kMillisecond);

void BM_SortBySortKeys(benchmark::State& state) {
  for (auto _ : state) {
    const std::vector<String>& names = Names();
    std::vector<std::pair<std::string, size_t>> keyed;
    keyed.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) keyed.emplace_back(CollationSortKey(names[i], true), i);
    std::sort(keyed.begin(), keyed.end());
    std::vector<String> v;
    v.reserve(names.size());
    for (const auto& k : keyed) v.push_back(names[k.second]);
    benchmark::DoNotOptimize(v.data());
  }
}
BENCHMARK(BM_SortBySortKeys)->Unit(benchmark::kMillisecond);

}  // namespace
