// Every fast kernel form against the reference form: all lengths 0..300, the
// carry patterns that break such code, in place and aliased, and long random
// runs.
#include "bignum/kernels/table.h"

#include <gtest/gtest.h>

#include "bignum/uhigh.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using uhigh_detail::kernels::digit;
using run = std::vector<digit>;

// Runs of n digits: the patterns where carries and borrows ripple across
// word and vector boundaries, or never start.
std::vector<run> patterns(std::size_t n, std::mt19937& random) {
  std::vector<run> out;
  out.emplace_back(n, 0);
  out.emplace_back(n, 9);
  run alternating(n);
  run nines_then_digit(n, 9);
  run random_digits(n);
  run random_extremes(n);
  std::uniform_int_distribution<int> any(0, 9);
  std::bernoulli_distribution coin(0.5);
  for (std::size_t i = 0; i < n; ++i) {
    alternating[i] = static_cast<digit>(i % 2 == 0 ? 0 : 9);
    random_digits[i] = static_cast<digit>(any(random));
    random_extremes[i] = static_cast<digit>(coin(random) ? 9 : 0);
  }
  if (n > 0) nines_then_digit[n / 2] = 5;
  out.push_back(alternating);
  out.push_back(nines_then_digit);
  out.push_back(random_digits);
  out.push_back(random_extremes);
  return out;
}

std::string describe(const char* kernel, std::size_t n, int carry, const char* mode) {
  return std::string(kernel) + " n=" + std::to_string(n) + " carry=" + std::to_string(carry) + " " +
         mode;
}

class KernelForm : public ::testing::TestWithParam<const uhigh_detail::kernels::table*> {};

TEST_P(KernelForm, AddAndSubtractEqualTheReference) {
  const uhigh_detail::kernels::table& fast = *GetParam();
  const uhigh_detail::kernels::table& ref = uhigh_detail::kernels::reference;
  std::mt19937 random(300);
  for (std::size_t n = 0; n <= 300; ++n) {
    const auto runs = patterns(n, random);
    for (const run& a : runs) {
      for (const run& b : runs) {
        for (digit carry = 0; carry <= 1; ++carry) {
          run want(n), got(n);
          // Out of place, r == a, and r == a == b.
          digit w = ref.add(want.data(), a.data(), b.data(), n, carry);
          ASSERT_EQ(fast.add(got.data(), a.data(), b.data(), n, carry), w)
              << describe("add", n, carry, "");
          ASSERT_EQ(got, want) << describe("add", n, carry, "");
          got = a;
          ASSERT_EQ(fast.add(got.data(), got.data(), b.data(), n, carry), w);
          ASSERT_EQ(got, want) << describe("add", n, carry, "in place");
          want = a;
          got = a;
          w = ref.add(want.data(), want.data(), want.data(), n, carry);
          ASSERT_EQ(fast.add(got.data(), got.data(), got.data(), n, carry), w);
          ASSERT_EQ(got, want) << describe("add", n, carry, "self");

          w = ref.sub(want.data(), a.data(), b.data(), n, carry);
          ASSERT_EQ(fast.sub(got.data(), a.data(), b.data(), n, carry), w)
              << describe("sub", n, carry, "");
          ASSERT_EQ(got, want) << describe("sub", n, carry, "");
          got = a;
          ASSERT_EQ(fast.sub(got.data(), got.data(), b.data(), n, carry), w);
          ASSERT_EQ(got, want) << describe("sub", n, carry, "in place");
        }
      }
      for (digit carry = 0; carry <= 1; ++carry) {
        run want(n), got(n);
        digit w = ref.add_carry(want.data(), a.data(), n, carry);
        ASSERT_EQ(fast.add_carry(got.data(), a.data(), n, carry), w);
        ASSERT_EQ(got, want) << describe("add_carry", n, carry, "");
        got = a;
        ASSERT_EQ(fast.add_carry(got.data(), got.data(), n, carry), w);
        ASSERT_EQ(got, want) << describe("add_carry", n, carry, "in place");

        w = ref.sub_borrow(want.data(), a.data(), n, carry);
        ASSERT_EQ(fast.sub_borrow(got.data(), a.data(), n, carry), w);
        ASSERT_EQ(got, want) << describe("sub_borrow", n, carry, "");
        got = a;
        ASSERT_EQ(fast.sub_borrow(got.data(), got.data(), n, carry), w);
        ASSERT_EQ(got, want) << describe("sub_borrow", n, carry, "in place");
      }
    }
  }
}

TEST_P(KernelForm, MultiplyByADigitEqualsTheReference) {
  const uhigh_detail::kernels::table& fast = *GetParam();
  std::mt19937 random(81);
  for (std::size_t n = 0; n <= 300; ++n) {
    for (const run& a : patterns(n, random)) {
      for (digit m = 0; m <= 9; ++m) {
        for (digit carry = 0; carry <= 8; ++carry) {
          run want(n), got(n);
          const digit w =
              uhigh_detail::kernels::reference.mul_digit(want.data(), a.data(), n, m, carry);
          ASSERT_EQ(fast.mul_digit(got.data(), a.data(), n, m, carry), w)
              << describe("mul_digit", n, carry, "") << " m=" << int{m};
          ASSERT_EQ(got, want) << describe("mul_digit", n, carry, "") << " m=" << int{m};
          got = a;
          ASSERT_EQ(fast.mul_digit(got.data(), got.data(), n, m, carry), w);
          ASSERT_EQ(got, want) << describe("mul_digit", n, carry, "in place") << " m=" << int{m};
        }
      }
    }
  }
}

// The factors where a form's pieces or groups meet their bounds: powers of
// ten at the piece boundaries and one either side, the largest top piece,
// and all ones in binary.
std::vector<std::uint64_t> word_factors(std::mt19937_64& random) {
  std::vector<std::uint64_t> k = {0, 1, 2, 7, 9, 10, 11, 9999, 10000, 10001};
  for (std::uint64_t p = 100'000'000; p != 0; p = p <= ~0ull / 100'000'000 ? p * 100'000'000 : 0) {
    k.insert(k.end(), {p - 1, p, p + 1});
  }
  k.insert(k.end(), {10'000'000'000'000'000'000ull - 1, 10'000'000'000'000'000'000ull, ~0ull,
                     ~0ull - 1, 1844ull * 10'000'000'000'000'000ull, 1ull << 63});
  for (int i = 0; i < 8; ++i)
    k.push_back(random() >> (random() % 64));
  return k;
}

TEST_P(KernelForm, MultiplyByAWordEqualsTheReference) {
  const uhigh_detail::kernels::table& fast = *GetParam();
  std::mt19937 random(64);
  std::mt19937_64 random_words(64);
  const auto factors = word_factors(random_words);
  for (std::size_t n = 0; n <= 300; n += n < 140 ? 1 : 7) {
    for (const run& a : patterns(n, random)) {
      for (const std::uint64_t k : factors) {
        run want(n), got(n);
        const std::uint64_t w =
            uhigh_detail::kernels::reference.mul_word(want.data(), a.data(), n, k);
        ASSERT_EQ(fast.mul_word(got.data(), a.data(), n, k), w) << "mul_word n=" << n << " k=" << k;
        ASSERT_EQ(got, want) << "mul_word n=" << n << " k=" << k;
        got = a;
        ASSERT_EQ(fast.mul_word(got.data(), got.data(), n, k), w) << "in place n=" << n;
        ASSERT_EQ(got, want) << "mul_word in place n=" << n << " k=" << k;
      }
    }
  }
}

TEST_P(KernelForm, MultiplyByAWordJustBelowAndAtAPowerOfTen) {
  // a = floor((10^n - 1) / k) makes a * k a run of nines over most of its
  // length, and a + 1 tips it over 10^n: a carry that runs through every
  // lane and block to the top. The settling of the SIMD forms has to pass it
  // on through each of them.
  const uhigh_detail::kernels::table& fast = *GetParam();
  for (const std::size_t n : {64u, 65u, 127u, 128u, 300u, 1000u, 4099u}) {
    for (const std::uint64_t k : {3ull, 7ull, 9999ull, 10001ull, 99999999ull,
                                  18446744073709551615ull, 9999999999999999999ull}) {
      const uhigh nines = pow(uhigh(10), n) - uhigh(1);
      for (const uhigh& value : {nines / k, nines / k + uhigh(1)}) {
        run a(n, 0);
        std::copy(value.digit_data(), value.digit_data() + value.digit_count(), a.begin());
        run want(n), got(n);
        const std::uint64_t w =
            uhigh_detail::kernels::reference.mul_word(want.data(), a.data(), n, k);
        ASSERT_EQ(fast.mul_word(got.data(), a.data(), n, k), w) << "n=" << n << " k=" << k;
        ASSERT_EQ(got, want) << "n=" << n << " k=" << k;
      }
    }
  }
}

TEST_P(KernelForm, LongRandomRunsAtOddOffsets) {
  // Unaligned starts and long runs: every block boundary at every offset.
  const uhigh_detail::kernels::table& fast = *GetParam();
  const uhigh_detail::kernels::table& ref = uhigh_detail::kernels::reference;
  std::mt19937 random(5000);
  std::uniform_int_distribution<int> any(0, 9);
  for (int round = 0; round < 40; ++round) {
    const std::size_t n = 1000 + static_cast<std::size_t>(round) * 97;
    const std::size_t offset = static_cast<std::size_t>(round) % 7;
    run a(n + offset), b(n + offset);
    for (auto* r : {&a, &b}) {
      for (auto& d : *r)
        d = static_cast<digit>(any(random));
    }
    // A long stretch of nines so a carry crosses many blocks at once.
    for (std::size_t i = n / 3; i < n / 3 + 200; ++i)
      a[i] = 9, b[i] = 0;
    run want(n + offset), got(n + offset);
    const digit m = static_cast<digit>(round % 10);
    ASSERT_EQ(fast.add(got.data() + offset, a.data() + offset, b.data() + offset, n, 1),
              ref.add(want.data() + offset, a.data() + offset, b.data() + offset, n, 1));
    ASSERT_EQ(got, want) << "add round " << round;
    ASSERT_EQ(fast.sub(got.data() + offset, a.data() + offset, b.data() + offset, n, 1),
              ref.sub(want.data() + offset, a.data() + offset, b.data() + offset, n, 1));
    ASSERT_EQ(got, want) << "sub round " << round;
    ASSERT_EQ(fast.mul_digit(got.data() + offset, a.data() + offset, n, m, 7),
              ref.mul_digit(want.data() + offset, a.data() + offset, n, m, 7));
    ASSERT_EQ(got, want) << "mul_digit round " << round;
    const std::uint64_t k = 18446744073709551615ull >> round;
    ASSERT_EQ(fast.mul_word(got.data() + offset, a.data() + offset, n, k),
              ref.mul_word(want.data() + offset, a.data() + offset, n, k));
    ASSERT_EQ(got, want) << "mul_word round " << round;
  }
}

std::vector<const uhigh_detail::kernels::table*> fast_forms() {
  std::vector<const uhigh_detail::kernels::table*> forms;
  for (const uhigh_detail::kernels::table* t : uhigh_detail::kernels::available()) {
    if (t != &uhigh_detail::kernels::reference) forms.push_back(t);
  }
  return forms;
}

INSTANTIATE_TEST_SUITE_P(EveryForm, KernelForm, ::testing::ValuesIn(fast_forms()),
                         [](const auto& info) { return std::string(info.param->name); });

}  // namespace
