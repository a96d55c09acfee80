// The benchmark's timed work: what one repetition of each stage is. The
// dialogue times exactly these, and the benchmarks and tests call them, so
// the work measured anywhere is the work the program times.
#pragma once

#include <atomic>
#include <cstdint>

#include "bignum/uhigh.h"

namespace uhigh_bench {

// The two stages the program times, in the order it asks for them.
enum class stage { factorial, power };

namespace stage_work {

// One repetition of the factorial stage: factorial(n) (n >= 0), its result
// destroyed at once. steps_done counts the multiplications (relaxed stores).
void factorial_repetition(int n, std::atomic<std::int64_t>& steps_done);
void factorial_repetition(int n);

// x doubled `times` times by adding it to itself; steps_done counts the
// doublings (relaxed stores). The power stage's loop, timed or not.
void double_times(uhigh& x, std::int32_t times, std::atomic<std::int64_t>& steps_done);

// One repetition of the power stage: a fresh uhigh 1 doubled p times, then
// destroyed.
void power_repetition(std::int32_t p, std::atomic<std::int64_t>& steps_done);
void power_repetition(std::int32_t p);

}  // namespace stage_work
}  // namespace uhigh_bench
