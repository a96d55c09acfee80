// Where each multiplication method of the packed limbs starts to win, on
// this machine: schoolbook against Karatsuba around the Karatsuba threshold,
// Karatsuba against the transforms around theirs. Prints the fastest of
// several runs of each at each size, side by side, interleaved.
//
// Usage: multiply_thresholds
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "bignum/limbs/limbs.h"

namespace limbs = uhigh_detail::limbs;
using limbs::limb;

namespace {

template <class F>
double fastest(F f, std::size_t n) {
  const int reps = static_cast<int>(std::max<std::size_t>(1, 2000000 / (n * n + 1)));
  double best = 1e300;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i)
      f();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count() / reps);
  }
  return best;
}

}  // namespace

int main() {
  std::mt19937_64 random(1);
  std::printf("limbs  schoolbook(us)  karatsuba(us)  ratio\n");
  for (std::size_t n : {8u, 12u, 16u, 20u, 24u, 28u, 32u, 40u, 48u, 64u}) {
    std::vector<limb> a(n), b(n), r(2 * n), scratch(limbs::karatsuba_scratch(n) + 64);
    for (auto& x : a)
      x = random() % limbs::base;
    for (auto& x : b)
      x = random() % limbs::base;
    const double s = fastest([&] { limbs::mul_basecase(r.data(), a.data(), n, b.data(), n); }, n);
    const double k =
        fastest([&] { limbs::mul_karatsuba(r.data(), a.data(), b.data(), n, scratch.data()); }, n);
    std::printf("%5zu  %14.3f  %13.3f  %5.2f\n", n, s * 1e6, k * 1e6, k / s);
  }
  std::printf("limbs  karatsuba(us)  transforms(us)  ratio\n");
  for (std::size_t n : {200u, 300u, 400u, 500u, 700u, 1000u, 1400u, 2000u, 3000u}) {
    std::vector<limb> a(n), b(n), r(2 * n), scratch(limbs::karatsuba_scratch(n) + 64);
    for (auto& x : a)
      x = random() % limbs::base;
    for (auto& x : b)
      x = random() % limbs::base;
    const double k =
        fastest([&] { limbs::mul_karatsuba(r.data(), a.data(), b.data(), n, scratch.data()); }, n);
    const double t = fastest([&] { limbs::mul_ntt(r.data(), a.data(), n, b.data(), n); }, n);
    std::printf("%5zu  %13.1f  %14.1f  %5.2f\n", n, k * 1e6, t * 1e6, t / k);
  }
}
