// How much of a stage's computation is done after a given number of its
// steps: the share that the progress line shows.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "app/stage_work.h"

namespace uhigh_bench {

// The cost of each step, from the lengths of the values involved, summed up
// front. Why it is a fair estimate: every step's work is a fixed number of
// passes over the value it works on (for n!, per multiplier digit one copy,
// one digit multiplication, one shift and one addition over the product;
// for 2^p, one addition over the value), so its time is proportional to
// that length times the multiplier's digits, and the lengths are known in
// advance: log10 of the product so far (log10 n! - log10 (n-k)!), or
// i log10 2. A fixed cost per
// partial product or doubling covers what does not grow with the length.
class cost_model {
 public:
  // n for n!, p for 2^p. O(1) in n: at most about a thousand points of the
  // factorial's cost, each from a closed form (Stirling's series for
  // log10 of the product so far), so the first progress line costs the
  // same for 20! and for 2,000,000,000!.
  cost_model(stage what, std::int64_t operand);

  // The share of one computation done once `steps` of its steps are done,
  // 0 to 1. O(log) of the points kept.
  double share(std::int64_t steps) const;

 private:
  stage what_;
  std::int64_t steps_;  // steps in one computation
  // (steps, cost of those steps) for n!, from (0, 0) to (n, total), with a
  // point wherever the counter gains or loses a digit; between points the
  // cost grows almost linearly.
  std::vector<std::pair<std::int64_t, double>> points_;
};

}  // namespace uhigh_bench
