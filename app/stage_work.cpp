#include "app/stage_work.h"

#include "app/factorial.h"

namespace uhigh_bench::stage_work {

void factorial_repetition(int n, std::atomic<std::int64_t>& steps_done) {
  const uhigh result = factorial(n, steps_done);
  static_cast<void>(result);
}

void factorial_repetition(int n) {
  std::atomic<std::int64_t> steps_done{0};
  factorial_repetition(n, steps_done);
}

void double_times(uhigh& x, std::int32_t times, std::atomic<std::int64_t>& steps_done) {
  for (std::int32_t i = 0; i < times; ++i) {
    x += x;
    steps_done.store(i + 1, std::memory_order_relaxed);
  }
}

void power_repetition(std::int32_t p, std::atomic<std::int64_t>& steps_done) {
  uhigh x(1);
  double_times(x, p, steps_done);
}

void power_repetition(std::int32_t p) {
  std::atomic<std::int64_t> steps_done{0};
  power_repetition(p, steps_done);
}

}  // namespace uhigh_bench::stage_work
