// n! against exact values.
#include "app/factorial.h"

#include <gmpxx.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "test_support.h"

using test::text_of;

TEST(Factorial, SmallValues) {
  EXPECT_EQ(text_of(factorial(0)), "1");
  EXPECT_EQ(text_of(factorial(1)), "1");
  EXPECT_EQ(text_of(factorial(5)), "120");
  EXPECT_EQ(text_of(factorial(10)), "3628800");
  EXPECT_EQ(text_of(factorial(20)), "2432902008176640000");
  EXPECT_EQ(text_of(factorial(25)), "15511210043330985984000000");
}

TEST(Factorial, CounterSteppingAcrossPowersOfTenAgreesWithGmp) {
  // 10, 100 and 1000 are where the counter loses a digit.
  for (int n : {9, 10, 11, 99, 100, 101, 250, 999, 1000, 1001}) {
    mpz_class expected;
    mpz_fac_ui(expected.get_mpz_t(), static_cast<unsigned long>(n));
    ASSERT_EQ(text_of(factorial(n)), expected.get_str()) << n << "!";
  }
}

TEST(Factorial, CallsAreIndependent) {
  const int n = 30;
  uhigh first = factorial(n);
  const uhigh second = factorial(n);
  EXPECT_NE(first.digits, second.digits);
  first.digits[0] = 5;
  EXPECT_EQ(second.digits[0], 0);
}

TEST(Factorial, NegativeIsRefused) { EXPECT_THROW(factorial(-1), std::invalid_argument); }
