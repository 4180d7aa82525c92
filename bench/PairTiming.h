// Timing for the benchmark pairs: our side and its anchor are timed alike,
// by the thread's processor time (the machine may be busy with other work:
// wall time then says little) and by the wall clock, and compared by medians.
#pragma once
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

struct Took {
  double Cpu = 0, Wall = 0;
};

template <class F>
Took Timed(F&& f) {
  timespec c0, c1;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c0);
  auto w0 = std::chrono::steady_clock::now();
  f();
  auto w1 = std::chrono::steady_clock::now();
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &c1);
  return Took{double(c1.tv_sec - c0.tv_sec) + double(c1.tv_nsec - c0.tv_nsec) * 1e-9,
              std::chrono::duration<double>(w1 - w0).count()};
}

inline double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}
