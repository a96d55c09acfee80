#include "app/cost_model.h"

#include <algorithm>
#include <cmath>

namespace uhigh_bench {

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

// log10 m!, exactly summed for small m, else by Stirling's series, whose
// first omitted term (1/1260 m^5) is below 10^-9 from m = 20 on.
double log10_factorial(std::int64_t m) {
  if (m < 20) {
    double sum = 0;
    for (std::int64_t j = 2; j <= m; ++j)
      sum += std::log10(static_cast<double>(j));
    return sum;
  }
  const double x = static_cast<double>(m);
  const double ln = (x + 0.5) * std::log(x) - x + 0.5 * std::log(2 * 3.141592653589793) +
                    1 / (12 * x) - 1 / (360 * x * x * x);
  return ln / std::log(10.0);
}

}  // namespace

cost_model::cost_model(stage what, std::int64_t operand) : what_(what), steps_(operand) {
  if (what_ != stage::factorial || steps_ <= 0) return;
  // Step k multiplies the product n (n-1) ... (n-k+1), of floor(L(k)) + 1
  // digits with L(k) = log10 n! - log10 (n-k)!, by the counter n - k, of d
  // digits: it costs d (floor(L(k)) + 1 + fixed_cost).
  const std::int64_t n = steps_;
  const double log_n = log10_factorial(n);
  const auto L = [&](std::int64_t k) { return log_n - log10_factorial(n - k); };
  // The steps where the counter's digit count changes (n - k = 10^d - 1),
  // and about a thousand evenly spaced ones.
  std::vector<std::int64_t> marks;
  const std::int64_t stride = std::max<std::int64_t>(1, n / 1024);
  for (std::int64_t k = 0; k < n; k += stride)
    marks.push_back(k);
  for (std::int64_t ten = 10; ten <= n; ten *= 10)
    marks.push_back(n - ten + 1);  // the first step whose counter is ten - 1
  marks.push_back(n);
  std::sort(marks.begin(), marks.end());
  marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
  points_.reserve(marks.size());
  points_.emplace_back(0, 0.0);
  double cost = 0;
  for (std::size_t i = 1; i < marks.size(); ++i) {
    const std::int64_t a = marks[i - 1], b = marks[i];
    const double d = digits_of(n - a);  // the same for every counter in [a, b)
    if (b - a == 1) {
      cost += d * (std::floor(L(a)) + 1 + fixed_cost);
    } else {
      // The floors lose a half on average; L is smooth across the segment,
      // so the trapezoid of its ends gives its sum.
      const double count = static_cast<double>(b - a);
      cost += d * count * ((L(a) + L(b - 1)) / 2 + 0.5 + fixed_cost);
    }
    points_.emplace_back(b, cost);
  }
}

double cost_model::share(std::int64_t steps) const {
  if (steps_ <= 0 || steps >= steps_) return 1;
  if (steps <= 0) return 0;
  if (what_ == stage::power) return power_cost(steps) / power_cost(steps_);
  // The first point past steps, and the one before it.
  const auto after = std::upper_bound(points_.begin(), points_.end(), steps,
                                      [](std::int64_t s, const auto& p) { return s < p.first; });
  const auto before = after - 1;
  const double within = static_cast<double>(steps - before->first) /
                        static_cast<double>(after->first - before->first);
  return (before->second + (after->second - before->second) * within) / points_.back().second;
}

}  // namespace uhigh_bench
