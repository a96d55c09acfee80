// The benchmark's operations against GMP on seeded random operands: sums,
// differences and relations, carries across powers of ten, small and long
// factors, factorials, powers of two and whole dialogues, every operand
// also aliased with the target.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "app/dialogue.h"
#include "app/factorial.h"
#include "bignum/kernels/table.h"
#include "bignum/limbs/limbs.h"
#include "oracle.h"
#include "test_support.h"

using namespace uhigh_bench;

using namespace oracle;
using test::from_text;
using test::text_of;

TEST(Oracle, AdditionSubtractionAndComparison) {
  std::mt19937 random(seed());
  for (int i = 0; i < 1500; ++i) {
    SCOPED_TRACE(trace(i));
    const std::string x = random_number(random, random_length(random, 5000));
    const std::string y = random_number(random, random_length(random, 5000));
    const mpz_class mx(x), my(y);

    uhigh sum = from_text(x);
    sum += from_text(y);
    ASSERT_EQ(text_of(sum), mpz_class(mx + my).get_str());

    uhigh twice = from_text(x);
    twice += twice;
    ASSERT_EQ(text_of(twice), mpz_class(mx + mx).get_str());

    const bool x_larger = mx >= my;
    uhigh difference = from_text(x_larger ? x : y);
    difference -= from_text(x_larger ? y : x);
    ASSERT_EQ(text_of(difference), mpz_class(x_larger ? mx - my : my - mx).get_str());

    uhigh self = from_text(x);
    const uhigh& alias = self;
    self -= alias;
    ASSERT_EQ(text_of(self), "0");

    const int sign = compare(from_text(x), from_text(y));
    ASSERT_EQ((sign > 0) - (sign < 0), (cmp(mx, my) > 0) - (cmp(mx, my) < 0));
    ASSERT_EQ(from_text(x) > from_text(y), mx > my);
  }
}

TEST(Oracle, BorrowAndCarryAcrossPowersOfTen) {
  std::mt19937 random(seed() + 1);
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE(trace(i));
    const std::size_t length = random_length(random, 5000);
    // 10^length - small, and (10^length - 1) + small: the longest ripples.
    std::string power(length + 1, '0');
    power[0] = '1';
    const std::string small = random_number(random, std::min<std::size_t>(length, 1 + i % 5));
    uhigh down = from_text(power);
    down -= from_text(small);
    ASSERT_EQ(text_of(down), mpz_class(mpz_class(power) - mpz_class(small)).get_str());
    uhigh up = from_text(std::string(length, '9'));
    up += from_text(small);
    ASSERT_EQ(text_of(up),
              mpz_class(mpz_class(std::string(length, '9')) + mpz_class(small)).get_str());
  }
}

TEST(Oracle, SmallFactors) {
  std::mt19937 random(seed() + 2);
  for (int i = 0; i < 120; ++i) {
    SCOPED_TRACE(trace(i));
    const std::string x = random_number(random, random_length(random, small_bounds() ? 800 : 5000));
    for (int factor = 0; factor <= 255; ++factor) {
      uhigh product = from_text(x);
      product *= static_cast<std::uint8_t>(factor);
      ASSERT_EQ(text_of(product), mpz_class(mpz_class(x) * factor).get_str())
          << "factor " << factor;
    }
  }
}

TEST(Oracle, LongMultiplication) {
  std::mt19937 random(seed() + 3);
  const std::size_t multiplicand_most = small_bounds() ? 1000 : 5000;
  for (int i = 0; i < 200; ++i) {
    SCOPED_TRACE(trace(i));
    const std::string x = random_number(random, random_length(random, multiplicand_most));
    const std::string y = random_number(random, random_length(random, 120));
    uhigh product = from_text(x);
    product *= from_text(y);
    ASSERT_EQ(text_of(product), mpz_class(mpz_class(x) * mpz_class(y)).get_str());

    const std::string z = random_number(random, random_length(random, 300));
    uhigh square = from_text(z);
    square *= square;
    ASSERT_EQ(text_of(square), mpz_class(mpz_class(z) * mpz_class(z)).get_str());

    uhigh by_zero = from_text(z);
    by_zero *= uhigh(0);
    ASSERT_EQ(text_of(by_zero), "0");
  }
}

TEST(Oracle, Factorials) {
  const int most = small_bounds() ? 800 : 3000;
  mpz_class expected;
  for (int n = 0; n <= most; n += n < 120 ? 1 : 37) {
    mpz_fac_ui(expected.get_mpz_t(), static_cast<unsigned long>(n));
    ASSERT_EQ(text_of(factorial(n)), expected.get_str()) << n << "!";
  }
  mpz_fac_ui(expected.get_mpz_t(), static_cast<unsigned long>(most));
  ASSERT_EQ(text_of(factorial(most)), expected.get_str()) << most << "!";
}

TEST(Oracle, PowersOfTwoByDoubling) {
  const int most = small_bounds() ? 30000 : 250000;
  uhigh x(1);
  mpz_class expected = 1;
  int next_check = 1;
  for (int p = 1; p <= most; ++p) {
    x += x;
    if (p == next_check || p == most) {
      mpz_ui_pow_ui(expected.get_mpz_t(), 2, static_cast<unsigned long>(p));
      ASSERT_EQ(text_of(x), expected.get_str()) << "2^" << p;
      next_check = p < 200 ? p + 1 : p + p / 7;
    }
  }
}

TEST(Oracle, FactorialCounterSteppingAcrossPowersOfTenAgreesWithGmp) {
  // 10, 100 and 1000 are where the counter loses a digit.
  for (int n : {9, 10, 11, 99, 100, 101, 250, 999, 1000, 1001}) {
    mpz_class expected;
    mpz_fac_ui(expected.get_mpz_t(), static_cast<unsigned long>(n));
    ASSERT_EQ(text_of(factorial(n)), expected.get_str()) << n << "!";
  }
}

TEST(Oracle, ByUhighAgreesWithGmp) {
  gmp_randclass random(gmp_randinit_default);
  random.seed(1209);
  for (int round = 0; round < 60; ++round) {
    const mpz_class x = random.get_z_bits(1 + round * 23) + 1;
    const mpz_class y = random.get_z_bits(1 + (round * 7) % 200) + 1;
    uhigh a = from_text(x.get_str());
    a *= from_text(y.get_str());
    ASSERT_EQ(text_of(a), mpz_class(x * y).get_str()) << "round " << round;
    uhigh s = from_text(x.get_str());
    s *= s;
    ASSERT_EQ(text_of(s), mpz_class(x * x).get_str()) << "round " << round;
  }
}

TEST(Oracle, AdditionAndSubtractionAgreeWithGmpOnLongOperands) {
  gmp_randclass random(gmp_randinit_default);
  random.seed(20261209);
  for (int round = 0; round < 200; ++round) {
    const mpz_class x = random.get_z_bits(1 + round * 17);
    const mpz_class y = random.get_z_bits(1 + (round * 31) % 3000);
    uhigh a = from_text(x.get_str());
    a += from_text(y.get_str());
    ASSERT_EQ(text_of(a), mpz_class(x + y).get_str()) << "round " << round;

    const mpz_class big = x > y ? x : y;
    const mpz_class small = x > y ? y : x;
    uhigh d = from_text(big.get_str());
    d -= from_text(small.get_str());
    ASSERT_EQ(text_of(d), mpz_class(big - small).get_str()) << "round " << round;
  }
}

TEST(Oracle, DialogueResultsPastSixtyFiveThousandDigits) {
  // The reference form would take most of a minute here; the lengths past
  // 16 bits are the class's business, the same on every form.
  if (small_bounds()) GTEST_SKIP() << "checked on the fast forms, natively";
  std::istringstream in("17300 0 217800 0");
  std::ostringstream out, err;
  steady_millisecond_clock clock;
  ASSERT_EQ(run_program(in, out, err, clock), 0);
  mpz_class fact;
  mpz_fac_ui(fact.get_mpz_t(), 17300);
  mpz_class power;
  mpz_ui_pow_ui(power.get_mpz_t(), 2, 217800);
  ASSERT_GT(fact.get_str().size(), 65535u);
  ASSERT_GT(power.get_str().size(), 65535u);
  EXPECT_NE(out.str().find("\n17300! = " + fact.get_str() + "\n\n"), std::string::npos);
  EXPECT_NE(out.str().find("\n2^217800 = " + power.get_str() + "\n"), std::string::npos);
}
