// The timing rule of the series, shared by stage_times and floor, so that
// both measure the same work (app/stage_work.h, as the program runs it) the
// same way.
#pragma once

#include <algorithm>
#include <chrono>

#include "app/stage_work.h"

namespace bench {

// One repetition of the factorial stage at n = size, or of the power stage
// at p = size.
inline void run_stage(bool factorial_stage, int size) {
  if (factorial_stage) {
    stage_work::factorial_repetition(size);
  } else {
    stage_work::power_repetition(size);
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
