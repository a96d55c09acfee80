// Packed-word paths that random operands almost never take, reached by
// construction: the last correction of a two-word division, and each range
// of the transforms' residues that the Chinese remainder step must reduce.
#include "bignum/limbs/limbs.h"

#if UHIGH_PACKED

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace limbs = uhigh_detail::limbs;
using limbs::limb;
using limbs::wide;

namespace {

// The transforms' primes, as the tests must know them to aim at their bands.
constexpr limb p0 = 4611685941117976577u, p1 = 4611685692009873409u, p2 = 4611685606110527489u;

limb power_mod(limb x, limb e, limb p) {
  wide result = 1, b = x % p;
  for (; e != 0; e >>= 1, b = b * b % p)
    if (e & 1) result = result * b % p;
  return static_cast<limb>(result);
}

}  // namespace

// An exact multiple makes the remainder zero, and for divisors such as
// B - 1 and B / 2 the two-word step then often reaches its rare second
// correction with r equal to the divisor: a step that corrects only r > d
// leaves a remainder of d and a quotient one short. (About one exact
// multiple in ten takes that path for B - 1; none of the random divisors
// tried took it at all.)
TEST(LimbsConstructed, ExactMultiplesTakeTheLastCorrectionOfEveryDivisorStep) {
  std::mt19937_64 random(2027);
  for (const limb d : {limbs::base - 1, limbs::base / 2, limbs::base - 2}) {
    for (int trial = 0; trial < 400; ++trial) {
      const std::size_t n = 1 + trial % 6;
      std::vector<limb> q(n), a(n + 1), quotient(n + 1);
      for (limb& x : q)
        x = random() % limbs::base;
      q[n - 1] |= 1;  // never all zero
      a[n] = limbs::mul_1(a.data(), q.data(), n, d);
      // a = q d exactly, over n + 1 limbs; the carry limb is below d < B.
      ASSERT_EQ(limbs::div_1(quotient.data(), a.data(), n + 1, d), 0u)
          << "d " << d << ", trial " << trial;
      ASSERT_EQ(quotient[n], 0u);
      ASSERT_EQ(std::vector<limb>(quotient.begin(), quotient.begin() + static_cast<long>(n)), q)
          << "d " << d << ", trial " << trial;
    }
  }
}

// The Chinese remainder step recovers a column x = r0 + p0 t1 + p0 p1 t2
// from its residues r0, r1, r2 (Garner). A missing reduction there goes
// wrong only in narrow cases that random columns almost never reach:
// - r0 in [p1, p0) used unreduced modulo p1 matters only when r1 is below
//   r0 - p1 (a random column: about once in 10^15);
// - the partial sum x01 = (r0 + p0 t1) mod p2, left in [p2, 2 p2), matters
//   only when t2 > 0 and x01 lies in the top (p0 p1 t2 mod p2) / p2 of its
//   range, a 0.06 % per unit of t2.
// So columns are built from chosen residues, half of them aimed at each
// case; each column x < 10^38 is the middle column of [x / c, x % c] times
// [1, c] for c = B - 1. (An r0 in [p2, p0) used unreduced modulo p2 matters
// only for t2 above 6 10^6, a column of over 10^6 limb products: no test
// of a sane size reaches it.)
TEST(LimbsConstructed, TransformColumnsInEveryResidueBand) {
  std::mt19937_64 random(31);
  const limb c = limbs::base - 1;
  const limb p0_inverse_mod_p1 = power_mod(p0 % p1, p1 - 2, p1);
  const limb p0_inverse_mod_p2 = power_mod(p0 % p2, p2 - 2, p2);
  const limb p0p1_mod_p2 = static_cast<limb>(wide{p0 % p2} * (p1 % p2) % p2);
  for (int trial = 0; trial < 20000; ++trial) {
    limb r0 = 0, t1 = 0, t2 = random() % 3;
    if (trial % 2 == 0) {
      // r0 in [p1, p0), at an edge or anywhere, and r1 = s below r0 - p1.
      const limb edges[] = {p1 + 1, p1 + 2, p0 - 2, p0 - 1};
      r0 = random() % 2 == 0 ? edges[random() % 4] : p1 + 1 + random() % (p0 - p1 - 1);
      const limb s = random() % (r0 - p1);
      t1 = static_cast<limb>(wide{(s + p1 - r0 % p1) % p1} * p0_inverse_mod_p1 % p1);
    } else {
      // t2 > 0, and x01 = r0 + (p0 t1 mod p2) - p2 in the top of its range.
      t2 = 1 + random() % 3;
      const limb span = static_cast<limb>(wide{p0p1_mod_p2} * t2 % p2);
      const limb x01 = p2 - 1 - random() % span;
      r0 = x01 + 1 + random() % (p2 - 1 - x01);  // above x01, below p2
      const limb m = x01 + p2 - r0;              // below p2
      t1 = static_cast<limb>(wide{m} * p0_inverse_mod_p2 % p2);
    }
    const wide x = wide{r0} + wide{p0} * t1 + wide{p0} * p1 * t2;  // < 4 p0 p1 < c B
    const limb a[2] = {static_cast<limb>(x / c), static_cast<limb>(x % c)}, b[2] = {1, c};
    limb fast[4], plain[4];
    limbs::mul_ntt(fast, a, 2, b, 2);
    limbs::mul_reference(plain, a, 2, b, 2);
    ASSERT_TRUE(std::equal(fast, fast + 4, plain)) << "r0 " << r0 << ", t1 " << t1 << ", t2 " << t2;
  }
}

#endif  // UHIGH_PACKED
