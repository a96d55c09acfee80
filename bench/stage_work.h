// What one timed repetition of each stage is, as the program runs it, and
// the timing rule of the series: shared by stage_times and floor, so that
// both measure the same work the same way.
#pragma once

#include <algorithm>
#include <chrono>

#include "app/factorial.h"
#include "bignum/uhigh.h"

namespace bench {

// One repetition: factorial(size) with the destruction of its result, or a
// fresh 1 doubled size times.
inline void run_stage(bool factorial_stage, int size) {
  if (factorial_stage) {
    const uhigh result = factorial(size);
    static_cast<void>(result);
  } else {
    uhigh x(1);
    for (int i = 0; i < size; ++i)
      x += x;
  }
}

// The fastest of reps runs of f, in seconds.
template <class F>
double fastest(int reps, F f) {
  double best = 1e300;
  for (int i = 0; i < reps; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

}  // namespace bench
