// Where division by Newton's reciprocal starts to beat Knuth's algorithm D,
// on this machine: 2n / n limbs (the quotient as long as the divisor, the
// shape where both methods do the most), and 3n / n, with the threshold set
// low enough for the reciprocal and high enough for algorithm D, side by
// side, interleaved, fastest of five rounds.
//
// Usage: divide_thresholds
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "bignum/limbs/limbs.h"

namespace limbs = uhigh_detail::limbs;
using limbs::limb;

int main() {
  std::mt19937_64 random(1);
  std::printf("divisor limbs  dividend limbs  algorithm D(us)  reciprocal(us)  ratio\n");
  for (std::size_t n : {50u, 75u, 100u, 125u, 150u, 200u, 300u, 500u, 1000u, 2000u}) {
    for (std::size_t times : {2u, 3u}) {
      const std::size_t na = times * n;
      std::vector<limb> a(na), b(n), q(na - n + 1), r(n);
      for (auto& x : a)
        x = random() % limbs::base;
      for (auto& x : b)
        x = random() % limbs::base;
      const int reps = static_cast<int>(std::max<std::size_t>(1, 20000000 / (n * n)));
      double best[2] = {1e300, 1e300};
      for (int round = 0; round < 5; ++round) {
        for (int method = 0; method < 2; ++method) {
          const std::size_t newton_from = method == 0 ? limbs::never : 2;
          const auto start = std::chrono::steady_clock::now();
          for (int i = 0; i < reps; ++i)
            limbs::divmod(q.data(), r.data(), a.data(), na, b.data(), n, newton_from);
          const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
          best[method] = std::min(best[method], took.count() / reps);
        }
      }
      std::printf("%13zu  %14zu  %15.1f  %14.1f  %5.2f\n", n, na, best[0] * 1e6, best[1] * 1e6,
                  best[1] / best[0]);
    }
  }
}
