// How much of a stage's computation is done after a given number of its
// steps: the share that the progress line shows.
#pragma once

#include <cstdint>
#include <vector>

enum class stage { factorial, power };

// The cost of each step, from the lengths of the values involved, summed up
// front. Why it is a fair estimate: every step's work is a fixed number of
// passes over the value it works on (for n!, per multiplier digit one copy,
// one digit multiplication, one shift and one addition over the product;
// for 2^p, one addition over the value), so its time is proportional to
// that length times the multiplier's digits, and the lengths are known in
// advance: log10 of the product so far, or i log10 2. A fixed cost per
// partial product or doubling covers what does not grow with the length.
class cost_model {
 public:
  // n for n!, p for 2^p. O(n) for n!, O(1) for 2^p; keeps at most about a
  // thousand partial sums.
  cost_model(stage what, std::int64_t operand);

  // The share of one computation done once `steps` of its steps are done,
  // 0 to 1.
  double share(std::int64_t steps) const;

 private:
  stage what_;
  std::int64_t steps_;        // steps in one computation
  std::int64_t stride_ = 1;   // steps between kept partial sums (n!)
  std::vector<double> sums_;  // cost of the first k * stride_ steps (n!)
};
