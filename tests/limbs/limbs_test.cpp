// The packed-word kernels against their plain versions: conversion both
// ways, the division by 10^19, sums with the carries that wrap a 64-bit
// word, and every multiplication method (schoolbook, Karatsuba, the
// transforms, the dispatch between them) against the row-by-row yardstick,
// at each threshold and one either side.
#include "bignum/limbs/limbs.h"

#if UHIGH_PACKED

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace limbs = uhigh_detail::limbs;
using limbs::limb;

namespace {

std::vector<limb> random_limbs(std::mt19937_64& random, std::size_t n, int shape) {
  std::vector<limb> v(n);
  for (limb& x : v) {
    switch (shape) {
      case 0:
        x = random() % limbs::base;
        break;
      case 1:
        x = limbs::base - 1;  // every sum and product at its largest
        break;
      default:
        x = random() % 4 == 0 ? random() % limbs::base : random() % 2 * (limbs::base - 1);
    }
  }
  return v;
}

std::vector<limb> reference_product(const std::vector<limb>& a, const std::vector<limb>& b) {
  std::vector<limb> r(a.size() + b.size());
  limbs::mul_reference(r.data(), a.data(), a.size(), b.data(), b.size());
  return r;
}

}  // namespace

TEST(Limbs, PackAndUnpackEveryLengthAndDigit) {
  std::mt19937 random(11);
  for (std::size_t n = 1; n <= 80; ++n) {
    for (int shape = 0; shape < 3; ++shape) {
      std::vector<std::int8_t> digits(n);
      for (auto& d : digits)
        d = static_cast<std::int8_t>(shape == 0 ? random() % 10 : shape == 1 ? 9 : 0);
      std::vector<limb> w(limbs::limbs_for(n));
      limbs::pack(w.data(), digits.data(), n);
      // Each limb holds its 19 digits, units first.
      for (std::size_t j = 0; j < w.size(); ++j) {
        limb expected = 0;
        for (std::size_t i = std::min(n, 19 * j + 19); i-- > 19 * j;)
          expected = expected * 10 + static_cast<limb>(digits[i]);
        ASSERT_EQ(w[j], expected) << n << " digits, limb " << j;
      }
      std::vector<std::int8_t> back(n, 7);
      limbs::unpack(back.data(), n, w.data());
      ASSERT_EQ(back, digits) << n;
    }
  }
}

TEST(Limbs, DivisionByTheBaseMatchesTheHardware) {
  std::mt19937_64 random(12);
  const limb edges[] = {0, 1, limbs::base - 1, limbs::base / 2, ~limb{0}};
  for (int i = 0; i < 200000; ++i) {
    const limb high = i < 25 ? edges[i / 5] % limbs::base : random() % limbs::base;
    const limb low = i < 25 ? edges[i % 5] : random();
    limb r;
    const limb q = limbs::divide(high, low, r);
    const limbs::wide n = (limbs::wide{high} << 64) | low;
    ASSERT_EQ(q, static_cast<limb>(n / limbs::base)) << high << " " << low;
    ASSERT_EQ(r, static_cast<limb>(n % limbs::base)) << high << " " << low;
  }
}

TEST(Limbs, SumsAndDifferencesCarryPastTheWord) {
  // 2 (B - 1) exceeds 2^64: the sum must still come out right.
  const std::vector<limb> top(5, limbs::base - 1);
  std::vector<limb> r(5);
  EXPECT_EQ(limbs::add(r.data(), top.data(), 5, top.data(), 5), 1u);
  EXPECT_EQ(r, (std::vector<limb>{limbs::base - 2, limbs::base - 1, limbs::base - 1,
                                  limbs::base - 1, limbs::base - 1}));
  // Without its carry the sum is 2 top - B^5, below top: taking top away
  // borrows, and leaves top again (modulo B^5).
  EXPECT_EQ(limbs::sub(r.data(), r.data(), 5, top.data(), 5), 1u);
  EXPECT_EQ(r, top);
  const std::vector<limb> one = {1};
  std::vector<limb> zero(5, 0);
  EXPECT_EQ(limbs::sub(zero.data(), zero.data(), 5, one.data(), 1), 1u);  // borrows through
  EXPECT_EQ(zero, top);
}

TEST(Limbs, OnePassTimesAnyFactorBelowTheBase) {
  std::mt19937_64 random(13);
  for (const limb k : {limb{1}, limb{7}, limbs::base - 1, limb{1} << 63, limb{12345678901234567}}) {
    for (int shape = 0; shape < 3; ++shape) {
      const auto a = random_limbs(random, 37, shape);
      std::vector<limb> r(38);
      r[37] = limbs::mul_1(r.data(), a.data(), 37, k);
      ASSERT_LT(r[37], limbs::base);
      ASSERT_EQ(r, reference_product(a, {k})) << k << " shape " << shape;
      std::vector<limb> in_place = a;  // r may equal a
      limbs::mul_1(in_place.data(), in_place.data(), 37, k);
      ASSERT_TRUE(std::equal(in_place.begin(), in_place.end(), r.begin())) << k;
    }
  }
}

TEST(Limbs, EdgesThatRandomOperandsNeverReach) {
  // mul_1: 3 * 4e18 leaves a carry of 1, and 3 * (B - 1) / 3 a low part of
  // B - 1, so the next position sums to exactly B: it must become 0 and
  // carry, never stay as a limb of value B.
  const std::vector<limb> a = {4'000'000'000'000'000'000u, (limbs::base - 1) / 3};
  std::vector<limb> r(3);
  r[2] = limbs::mul_1(r.data(), a.data(), 2, 3);
  EXPECT_EQ(r, reference_product(a, {3}));
  // The transforms' reconstruction: this product's one column leaves a
  // residue modulo the first prime that is at least the second prime, and a
  // residue modulo the second that is smaller than their difference, so the
  // first must be reduced before it is taken from the second (found by
  // search: k p0 + p1 + d for k = 18512788).
  const std::vector<limb> x = {85375168164557288u}, y = {1000000007u};
  std::vector<limb> product(2);
  limbs::mul_ntt(product.data(), x.data(), 1, y.data(), 1);
  EXPECT_EQ(product, reference_product(x, y));
}

TEST(Limbs, EveryMethodEqualsTheRowByRowProduct) {
  std::mt19937_64 random(14);
  // Schoolbook and Karatsuba at and around its threshold (64 limbs) and
  // their recursion, then the dispatch over balanced and uneven shapes up
  // to past the transforms' threshold (900 limbs).
  for (const std::size_t n : {1u, 2u, 23u, 63u, 64u, 65u, 127u, 128u, 129u, 300u}) {
    for (int shape = 0; shape < 3; ++shape) {
      const auto a = random_limbs(random, n, shape), b = random_limbs(random, n, shape);
      const auto expected = reference_product(a, b);
      std::vector<limb> r(2 * n), scratch(limbs::karatsuba_scratch(n) + 8);
      limbs::mul_basecase(r.data(), a.data(), n, b.data(), n);
      ASSERT_EQ(r, expected) << "schoolbook " << n;
      limbs::mul_karatsuba(r.data(), a.data(), b.data(), n, scratch.data());
      ASSERT_EQ(r, expected) << "Karatsuba " << n;
      limbs::mul_ntt(r.data(), a.data(), n, b.data(), n);
      ASSERT_EQ(r, expected) << "transforms " << n;
      limbs::mul_ntt(r.data(), a.data(), n, a.data(), n);  // squaring shares the input
      ASSERT_EQ(r, reference_product(a, a)) << "transforms, squared " << n;
    }
  }
  for (const auto& [na, nb] : {std::pair<std::size_t, std::size_t>{1, 1},
                               {300, 63},
                               {300, 64},
                               {899, 899},
                               {900, 899},
                               {900, 900},
                               {901, 900},
                               {2500, 900},
                               {5000, 64},
                               {999, 3},
                               {77, 1000}}) {
    const auto a = random_limbs(random, na, 2), b = random_limbs(random, nb, 0);
    std::vector<limb> r(na + nb), scratch(limbs::scratch_for(na, nb));
    limbs::mul(r.data(), a.data(), na, b.data(), nb, scratch.data());
    ASSERT_EQ(r, reference_product(a, b)) << na << " x " << nb;
  }
}

namespace {

// True when q b + r == a and r < b: the division's defining identity,
// checked by the row-by-row product, independent of every division method.
::testing::AssertionResult divides(const std::vector<limb>& a, const std::vector<limb>& b,
                                   const std::vector<limb>& q, const std::vector<limb>& r) {
  std::vector<limb> back(q.size() + b.size());
  limbs::mul_reference(back.data(), q.data(), q.size(), b.data(), b.size());
  std::vector<limb> sum(back.size() + 1);
  sum[back.size()] = limbs::add(sum.data(), back.data(), back.size(), r.data(), r.size());
  sum.resize(std::max(sum.size(), a.size()));
  std::vector<limb> want(a);
  want.resize(sum.size());
  if (sum != want) return ::testing::AssertionFailure() << "q b + r != a";
  for (std::size_t i = r.size(); i-- > 0;) {
    if (r[i] != b[i]) {
      return r[i] < b[i] ? ::testing::AssertionSuccess()
                         : ::testing::AssertionFailure() << "r >= b";
    }
  }
  return ::testing::AssertionFailure() << "r == b";
}

}  // namespace

TEST(Limbs, ShortDivisionMatchesTheHardware) {
  std::mt19937_64 random(15);
  for (const limb d : {limb{1}, limb{2}, limb{7}, limb{1} << 32, limbs::base / 2, limbs::base - 1,
                       limb{1234567890123456789u}, random() % limbs::base}) {
    for (int shape = 0; shape < 3; ++shape) {
      const auto a = random_limbs(random, 40, shape);
      std::vector<limb> q(a.size());
      const limb r = limbs::div_1(q.data(), a.data(), a.size(), d);
      limbs::wide rest = 0;
      for (std::size_t i = a.size(); i-- > 0;) {
        const limbs::wide x = rest * limbs::base + a[i];
        ASSERT_EQ(q[i], static_cast<limb>(x / d)) << d << " limb " << i;
        rest = x % d;
      }
      ASSERT_EQ(r, static_cast<limb>(rest)) << d;
      limbs::div_1(q.data(), q.data(), q.size(), d);  // in place too
    }
  }
}

TEST(Limbs, EveryDivisionMethodMeetsTheIdentity) {
  std::mt19937_64 random(16);
  // Algorithm D (divisors of two limbs up), the reciprocal from the
  // threshold (80 limbs of both divisor and quotient) and one either side,
  // a quotient shorter than the divisor (the cut-down divisor), several
  // blocks of quotient, and divisors whose top limbs are all B - 1 or
  // exactly B/2 (the estimate's extremes).
  const std::pair<std::size_t, std::size_t> shapes[] = {
      {2, 2},     {3, 2},      {40, 2},     {40, 39},    {158, 79},
      {159, 80},  {160, 80},   {161, 81},   {180, 81},   {250, 170},
      {400, 300}, {1000, 100}, {1000, 333}, {2000, 950}, {1900, 1000}};
  for (const auto& [na, nb] : shapes) {
    for (int shape = 0; shape < 4; ++shape) {
      auto a = random_limbs(random, na, shape % 3), b = random_limbs(random, nb, shape % 3);
      if (shape == 3) b[nb - 1] = limbs::base / 2, b[nb - 2] = 0;
      if (b[nb - 1] == 0) b[nb - 1] = 1;
      std::vector<limb> q(na - nb + 1), r(nb), q_ref(q.size()), r_ref(r.size());
      limbs::divmod(q.data(), r.data(), a.data(), na, b.data(), nb);
      ASSERT_TRUE(divides(a, b, q, r)) << na << " / " << nb << " shape " << shape;
      limbs::divmod(q_ref.data(), r_ref.data(), a.data(), na, b.data(), nb, limbs::never);
      ASSERT_EQ(q, q_ref) << na << " / " << nb;
      ASSERT_EQ(r, r_ref) << na << " / " << nb;
    }
  }
}

TEST(Limbs, AlgorithmDAddsBackAnEstimateOneTooLarge) {
  // B^3 / (B^3/2 + B - 1): the top limbs give the estimate 2, which the
  // second limb (0) cannot refine, and only the third shows that 2 is one
  // too many. Random operands reach this with probability about 2/B.
  const std::vector<limb> a = {0, 0, 0, 1}, b = {limbs::base - 1, 0, limbs::base / 2};
  for (const std::size_t newton_from : {limbs::never, limbs::newton_threshold}) {
    std::vector<limb> q(2), r(3);
    limbs::divmod(q.data(), r.data(), a.data(), a.size(), b.data(), b.size(), newton_from);
    EXPECT_EQ(q, (std::vector<limb>{1, 0}));
    EXPECT_TRUE(divides(a, b, q, r));
  }
}

TEST(Limbs, TheReciprocalAtEveryDepthEqualsAlgorithmD) {
  // With the threshold at 3 limbs, small divisions run the reciprocal's
  // whole recursion and every block and cut-down path; each must agree
  // with algorithm D.
  std::mt19937_64 random(17);
  for (int round = 0; round < 400; ++round) {
    const std::size_t nb = 2 + random() % 40, na = nb + random() % 90;
    const int shape = static_cast<int>(random() % 3);
    const auto a = random_limbs(random, na, shape);
    auto b = random_limbs(random, nb, shape);
    if (b[nb - 1] == 0) b[nb - 1] = 1 + random() % 9;
    std::vector<limb> q(na - nb + 1), r(nb), q_ref(q.size()), r_ref(r.size());
    limbs::divmod(q.data(), r.data(), a.data(), na, b.data(), nb, 3);
    limbs::divmod(q_ref.data(), r_ref.data(), a.data(), na, b.data(), nb, limbs::never);
    ASSERT_EQ(q, q_ref) << na << " / " << nb << " round " << round;
    ASSERT_EQ(r, r_ref) << na << " / " << nb << " round " << round;
  }
}

#endif  // UHIGH_PACKED
