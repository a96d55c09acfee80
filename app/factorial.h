// n! as a uhigh: the workload of the benchmark's factorial stage.
#pragma once

#include <atomic>
#include <cstdint>

#include "bignum/uhigh.h"

namespace uhigh_bench {

// n! for n >= 0 (a negative n throws std::invalid_argument), computed
// downwards, 1 * n * (n-1) * ... * 1, entirely in uhigh arithmetic: a uhigh
// counter, decremented by a uhigh one, is tested against a fresh uhigh zero
// before every step. Costs n general multiplications with their allocations.
uhigh factorial(const int& n);

// The same computation, publishing the steps done (multiplications) to
// steps_done with a relaxed store after each one, for a progress display.
uhigh factorial(const int& n, std::atomic<std::int64_t>& steps_done);

}  // namespace uhigh_bench
