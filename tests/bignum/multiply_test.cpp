// Multiplication by a small factor and by another uhigh.
#include <gtest/gtest.h>

#include <algorithm>
#include <new>

#include "allocation_hooks.h"
#include "kernel_log.h"
#include "test_support.h"

using test::digits_of;
using test::from_text;
using test::text_of;

// A uhigh factor of up to ten digits is the benchmark's path: a digit
// factor is one pass, ten a shift, and anything above long multiplication.
TEST(Multiply, SmallUhighFactorsByDigitShiftAndLongMultiplication) {
  const struct {
    const char* value;
    int factor;
    const char* product;
  } cases[] = {{"25", 4, "100"},    {"99", 9, "891"},  // 9 * 9 + 8 at the top, a carry of 8 out
               {"1234", 1, "1234"}, {"25", 10, "250"}, {"0", 10, "0"},
               {"12345", 0, "0"},   {"7", 12, "84"},   {"99", 255, "25245"}};
  for (const auto& c : cases) {
    uhigh x = from_text(c.value);
    x *= uhigh(c.factor);
    EXPECT_EQ(text_of(x), c.product) << c.value << " * " << c.factor;
  }
  // A zero product is the single digit 0, so it still compares below 7 and
  // adding to it gives no leading zeros.
  uhigh z(12345);
  z *= uhigh(0);
  EXPECT_EQ(digits_of(z), (std::vector<int>{0}));
  EXPECT_LT(compare(z, uhigh(7)), 0);
  z += uhigh(1);
  EXPECT_EQ(text_of(z), "1");
  // Catches a small factor sent to the word product: long multiplication
  // makes one digit product per factor digit.
  const test::kernel_log log;
  z *= uhigh(12);
  const auto made = [&](const char* kernel) {
    return std::count_if(log.calls().begin(), log.calls().end(),
                         [&](const auto& call) { return call.kernel == kernel; });
  };
  EXPECT_EQ(made("mul_digit"), 2);
  EXPECT_EQ(made("mul_word"), 0);
}

TEST(Multiply, ByUhighSmallProducts) {
  uhigh a(12);
  a *= uhigh(12);
  EXPECT_EQ(text_of(a), "144");

  uhigh self(12);
  self *= self;
  EXPECT_EQ(text_of(self), "144");

  uhigh c(25);
  c *= uhigh(10);  // the multiplier's 0 digit adds a zero partial product
  EXPECT_EQ(text_of(c), "250");

  uhigh d(99);
  d *= uhigh(99);
  EXPECT_EQ(text_of(d), "9801");
}

TEST(Multiply, ByUhighEveryMultiplierDigitCostsAPartialProduct) {
  // 25 * 10: the 0 digit is multiplied and added like any other (the
  // accumulator keeps its two zero digits); the second partial product is
  // shifted up one place before it is added.
  uhigh a(25);
  const uhigh ten(10);
  const long allocations_before = test::array_allocations();
  {
    const test::kernel_log log;
    a *= ten;
    EXPECT_EQ(log.calls(), (std::vector<test::kernel_call>{{"mul_digit", 2},
                                                           {"add", 1},
                                                           {"add_carry", 1},
                                                           {"mul_digit", 2},
                                                           {"add", 2},
                                                           {"add_carry", 1}}));
  }
  // The accumulator, two partial products, the final assignment.
  EXPECT_EQ(test::array_allocations() - allocations_before, 4);
  EXPECT_EQ(text_of(a), "250");
}

TEST(Multiply, ByUhighAZeroOperandGivesOneZeroDigit) {
  uhigh a(25);
  a *= uhigh(0);
  EXPECT_EQ(digits_of(a), (std::vector<int>{0}));

  // The hand-written parser's first step: 0 * 10 + d.
  uhigh z(0);
  z *= uhigh(98765);
  EXPECT_EQ(digits_of(z), (std::vector<int>{0}));
  z *= uhigh(10);
  z += uhigh(4);
  EXPECT_EQ(text_of(z), "4");
}

TEST(Multiply, ByUhighFailedAllocationLeavesTheMultiplicand) {
  // Fail each allocation in turn: the accumulator, the partial products,
  // their growth, the final copy. The value must survive every one.
  for (long k = 0;; ++k) {
    uhigh a = from_text("987654321987654321");
    bool threw = false;
    {
      test::failing_allocation fail(k);
      try {
        a *= uhigh(4321);
      } catch (const std::bad_alloc&) {
        threw = true;
      }
    }
    if (!threw) {
      EXPECT_EQ(text_of(a), "4267654325308654321041");
      break;
    }
    ASSERT_EQ(text_of(a), "987654321987654321") << "allocation " << k;
  }
}
