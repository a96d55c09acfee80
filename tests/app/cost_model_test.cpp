// The progress line's cost model against the work a computation really
// does, counted, not timed: every digit that the kernels touch, step by step,
// read from a log of their calls. So the test says the same on any machine
// under any load. How well the model predicts seconds on this machine is a
// measurement, not a pass/fail question: bench/cost_model_accuracy prints it.
#include "app/cost_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

#include "app/stage_work.h"
#include "kernel_log.h"

using namespace uhigh_bench;

namespace {

// The digits each step's kernel calls cover, one entry per step. A step
// ends with the call named `last`: the counter's subtraction of one for n!
// (after the multiplication's passes), the doubling's carry run for 2^p.
std::vector<double> work_per_step(const std::vector<test::kernel_call>& calls,
                                  const std::string& last) {
  std::vector<double> steps(1, 0.0);
  for (const test::kernel_call& call : calls) {
    steps.back() += static_cast<double>(call.n);
    if (call.kernel == last) steps.push_back(0.0);
  }
  steps.pop_back();  // nothing follows the last step
  return steps;
}

// At each mark (a share of the steps), the model's share of the work must be
// within `tolerance` of the counted one. Returns the largest gap seen.
double largest_gap(const cost_model& model, const std::vector<double>& steps) {
  double total = 0;
  for (double w : steps)
    total += w;
  double gap = 0;
  for (const double mark : {0.1, 0.25, 0.5, 0.75, 0.9}) {
    const auto done = static_cast<std::size_t>(mark * static_cast<double>(steps.size()));
    double counted = 0;
    for (std::size_t k = 0; k < done; ++k)
      counted += steps[k];
    const double predicted = model.share(static_cast<std::int64_t>(done));
    gap = std::max(gap, std::abs(predicted - counted / total));
  }
  return gap;
}

// The model adds a fixed cost per step for what does not grow with the
// length (allocation, call overheads), which the kernel log cannot see, so
// it runs a little ahead of the counted shares: by at most 0.024 at 2000!
// and 0.016 at 2^30000 (the gap shrinks as the values grow; at 300! and
// 2^1000 the fixed cost decides, and the gap passes 0.1). A model of the
// wrong shape is far further off: one that counts steps instead of digits
// by 0.17 at the half and quarter marks, and one that runs n!'s counter
// upwards (1, 2, ... for n, n-1, ...) by 0.13 at the half.
constexpr double tolerance = 0.04;

}  // namespace

TEST(CostModel, SharesRunFromZeroToOne) {
  for (const stage what : {stage::factorial, stage::power}) {
    const cost_model model(what, 5000);
    EXPECT_EQ(model.share(0), 0);
    EXPECT_EQ(model.share(5000), 1);
    double before = 0;
    for (std::int64_t steps = 1; steps <= 5000; steps += 7) {
      ASSERT_GE(model.share(steps), before) << steps;
      before = model.share(steps);
    }
  }
  EXPECT_EQ(cost_model(stage::factorial, 0).share(0), 1);  // 0! has no steps
}

namespace {

// The model against one repetition's counted work: the steps are told
// apart by the kernel that ends each one.
void expect_model_follows(stage what, int operand, const char* step_end) {
  std::vector<double> steps;
  {
    const test::kernel_log log;
    if (what == stage::factorial) {
      stage_work::factorial_repetition(operand);
    } else {
      stage_work::power_repetition(operand);
    }
    steps = work_per_step(log.calls(), step_end);
  }
  ASSERT_EQ(steps.size(), static_cast<std::size_t>(operand));
  EXPECT_LT(largest_gap(cost_model(what, operand), steps), tolerance) << operand;
}

}  // namespace

TEST(CostModel, FollowsTheCountedWorkOfAFactorial) {
  for (const int n : {2000, 3000})
    expect_model_follows(stage::factorial, n, "sub_borrow");
}

TEST(CostModel, FollowsTheCountedWorkOfAPowerOfTwo) {
  for (const int p : {30000, 60000})
    expect_model_follows(stage::power, p, "add_carry");
}

TEST(CostModel, ClosedFormEqualsTheStepByStepSum) {
  // The model sums its steps in closed form (Stirling's series, about a
  // thousand segments); the plain version adds every step's cost with
  // floor(log10 of the product so far) + 1 digits, the fixed cost
  // included. They agree to a thousandth of the whole at every tenth, and
  // across the counter's digit-count changes.
  for (const std::int64_t n : {37, 999, 1001, 123457, 1000000}) {
    std::vector<double> sums(static_cast<std::size_t>(n) + 1);
    double log_product = 0;
    for (std::int64_t k = 0; k < n; ++k) {
      const auto counter = static_cast<double>(n - k);
      sums[static_cast<std::size_t>(k) + 1] =
          sums[static_cast<std::size_t>(k)] +
          (std::floor(std::log10(counter)) + 1) * (std::floor(log_product) + 1 + 300);
      log_product += std::log10(counter);
    }
    const cost_model model(stage::factorial, n);
    for (std::int64_t tenth = 1; tenth < 10; ++tenth) {
      const std::int64_t k = n * tenth / 10;
      EXPECT_NEAR(model.share(k), sums[static_cast<std::size_t>(k)] / sums.back(), 1e-3)
          << n << "! after " << k << " steps";
    }
  }
  // A 32-bit n's model is built without a pass over its steps.
  const cost_model largest(stage::factorial, 2147483647);
  EXPECT_GT(largest.share(1073741823), largest.share(1000));
}
