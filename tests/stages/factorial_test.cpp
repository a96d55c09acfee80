// n! against exact values.
#include "app/factorial.h"
#include "bignum/layout.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "allocation_hooks.h"
#include "kernel_log.h"
#include "test_support.h"

using namespace uhigh_bench;

using uhigh_detail::layout;

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
  EXPECT_NE(layout::digits(first), layout::digits(second));
  layout::digits(first)[0] = 5;
  EXPECT_EQ(layout::digits(second)[0], 0);
}

TEST(Factorial, DoesEveryMultiplicationAndAllocationOfTheAlgorithm) {
  // 9! by hand: the product before each step is 1, 9, 72, 504, 3024, 15120,
  // 60480, 181440, 362880 (lengths 1 1 2 3 4 5 5 6 6) and after it one step
  // on. Each step multiplies a copy of the product by the one-digit counter
  // (mul_digit over the product), adds it into a one-digit accumulator (add
  // over 1 digit, add_carry over the rest) and counts down (sub over 1,
  // sub_borrow over 0). The last step multiplies by 1 and must happen.
  const std::size_t before[] = {1, 1, 2, 3, 4, 5, 5, 6, 6};
  const std::size_t after[] = {1, 2, 3, 4, 5, 5, 6, 6, 6};
  std::vector<test::kernel_call> expected;
  for (int step = 0; step < 9; ++step) {
    expected.push_back({"mul_digit", before[step]});
    expected.push_back({"add", 1});
    expected.push_back({"add_carry", after[step] - 1});
    expected.push_back({"sub", 1});
    expected.push_back({"sub_borrow", 0});
  }
  const long allocations_before = test::array_allocations();
  const test::kernel_log log;
  const uhigh result = factorial(9);
  const long allocations = test::array_allocations() - allocations_before;
  EXPECT_EQ(log.calls(), expected);
  EXPECT_EQ(text_of(result), "362880");
  // product, one and counter; a zero for each of the 10 loop tests; per step
  // the accumulator, one partial product and the assignment (nothing grows
  // past 10 digits); the result's copy.
  EXPECT_EQ(allocations, 3 + 10 + 9 * 3 + 1);
}

TEST(Factorial, NegativeIsRefused) { EXPECT_THROW(factorial(-1), std::invalid_argument); }
