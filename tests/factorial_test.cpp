// n! against exact values.
#include "app/factorial.h"

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

TEST(Factorial, CallsAreIndependent) {
  const int n = 30;
  uhigh first = factorial(n);
  const uhigh second = factorial(n);
  EXPECT_NE(first.digits, second.digits);
  first.digits[0] = 5;
  EXPECT_EQ(second.digits[0], 0);
}

TEST(Factorial, NegativeIsRefused) { EXPECT_THROW(factorial(-1), std::invalid_argument); }
