#include "app/cost_model.h"

#include <algorithm>
#include <cmath>

namespace {

// Each partial product (n!) or doubling (2^p) also costs a fixed amount
// whatever the length: an allocation, a few kernel calls and their tails.
// Measured here, that is worth some hundreds of digits of copying and
// arithmetic; without it the early steps of a short run look too cheap.
constexpr double fixed_cost = 300;

double digits_of(std::int64_t v) { return std::floor(std::log10(static_cast<double>(v))) + 1; }

// Digits in use after i doublings of 1, summed for i < steps, with the
// fixed cost of each doubling.
double power_cost(std::int64_t steps) {
  // Sum of floor(i log10 2) + 1: the floors cost a half on average.
  const double s = static_cast<double>(steps);
  return std::log10(2.0) * s * (s - 1) / 2 + s / 2 + fixed_cost * s;
}

}  // namespace

cost_model::cost_model(stage what, std::int64_t operand) : what_(what), steps_(operand) {
  if (what_ != stage::factorial || steps_ <= 0) return;
  // Step k multiplies the product n (n-1) ... (n-k+1), whose length is
  // floor of its log10 plus one, by the counter n - k.
  stride_ = std::max<std::int64_t>(1, steps_ / 1024);
  sums_.reserve(static_cast<std::size_t>(steps_ / stride_ + 2));
  double log_product = 0;
  double cost = 0;
  for (std::int64_t k = 0; k < steps_; ++k) {
    if (k % stride_ == 0) sums_.push_back(cost);
    const std::int64_t counter = steps_ - k;
    cost += digits_of(counter) * (std::floor(log_product) + 1 + fixed_cost);
    log_product += std::log10(static_cast<double>(counter));
  }
  sums_.push_back(cost);  // all steps; the last stride may be short
}

double cost_model::share(std::int64_t steps) const {
  if (steps_ <= 0 || steps >= steps_) return 1;
  if (steps <= 0) return 0;
  if (what_ == stage::power) return power_cost(steps) / power_cost(steps_);
  // Between two kept sums the cost grows almost linearly.
  const auto k = static_cast<std::size_t>(steps / stride_);
  const double before = sums_[k];
  const double after = k + 1 < sums_.size() ? sums_[k + 1] : sums_.back();
  const double within = static_cast<double>(steps % stride_) / static_cast<double>(stride_);
  return (before + (after - before) * within) / sums_.back();
}
