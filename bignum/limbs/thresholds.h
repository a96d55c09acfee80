// Where the packed multiplication and division change method, in limbs of
// 19 digits. Each was measured on the machine named with it; the threshold
// benchmarks (bench/multiply_thresholds, bench/divide_thresholds) pass
// other values to the entries that take one, to measure again.
#pragma once

#include <cstddef>

namespace uhigh_detail::limbs {

// Below this many limbs Karatsuba's recursion stops at schoolbook. Measured
// with bench/multiply_thresholds (AMD EPYC, g++ 12 -O3), n x n limbs,
// microseconds, stopping at 24 / 32 / 48 / 64 / 96 limbs, or never
// recursing:
//    96:  6.9  5.5  5.5  5.1  5.1 |  6.0
//   256: 35.2 33.1 28.2 28.1 28.6 | 40.6
//  1000:  600  556  427  367  333 |  560
// 64 is best or within 5 % of it everywhere; Karatsuba first beats
// schoolbook at about 96 limbs (1824 digits).
constexpr std::size_t karatsuba_threshold = 64;

// From this many limbs of the shorter operand on, the transforms win: with
// the threshold above, 800 x 800 limbs took 213 us by Karatsuba and 270 us
// by transforms, 1000 x 1000 367 us against 271 us (both transform sizes
// are 2048 points).
constexpr std::size_t ntt_threshold = 900;

// Below this many limbs of divisor or quotient, Knuth's algorithm D; from
// it on, Newton's reciprocal. Measured with bench/divide_thresholds (AMD
// EPYC, g++ 12 -O3), microseconds for 2n / n limbs, algorithm D against
// the reciprocal recursing all the way down:
//    n = 50: 10.8 / 12.6   75: 26.3 / 25.6   100: 45.0 / 40.0
//   150: 105 / 79   300: 596 / 225   1000: 5978 / 1826
// and for 2n / n with the threshold at 40 / 60 / 80 / 100 / 150 limbs, at
// n = 100: 39 / 43 / 33 / 45 / 42, at n = 1000: 1984 / 2033 / 1613 / 1631 /
// 1623. 80 limbs (1520 digits) is within noise of the best at each size.
constexpr std::size_t newton_threshold = 80;

// As a division threshold: algorithm D at every size, the yardstick.
constexpr std::size_t never = ~std::size_t{0};

}  // namespace uhigh_detail::limbs
