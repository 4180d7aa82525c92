// Entry point of the benchmark programs (linked with -municode).
#include <benchmark/benchmark.h>
#include <string>
#include <vector>

extern "C" int wmain(int argc, char16_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    std::string a;
    for (const char16_t* p = argv[i]; *p; ++p) a += char(*p < 0x80 ? *p : '?');
    args.push_back(a);
  }
  std::vector<char*> ptrs;
  for (auto& a : args) ptrs.push_back(a.data());
  int n = argc;
  benchmark::Initialize(&n, ptrs.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
