// The reference form, the yardstick of every other: its word product
// against numbers small enough to check in 128 bits, and the one digit
// helper that all its loops use.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bignum/kernels/table.h"
#include "bignum/split_decimal.h"

namespace {
using run = std::vector<uhigh_detail::kernels::digit>;
}  // namespace

TEST(ReferenceForm, SplitDecimalQuotientHighRemainderLow) {
  EXPECT_EQ(uhigh_detail::split_decimal(19), (1 << 8) | 9);
  EXPECT_EQ(uhigh_detail::split_decimal(0), 0);
  EXPECT_EQ(uhigh_detail::split_decimal(89), (8 << 8) | 9);
  EXPECT_EQ(uhigh_detail::split_decimal(127), (12 << 8) | 7);
  EXPECT_EQ(uhigh_detail::decimal_low(uhigh_detail::split_decimal(-3)),
            -3);  // remainder keeps the sign
  for (int v = 0; v <= 127; ++v) {
    const auto split = uhigh_detail::split_decimal(static_cast<std::int8_t>(v));
    ASSERT_EQ(uhigh_detail::decimal_high(split) * 10 + uhigh_detail::decimal_low(split), v);
  }
}

TEST(ReferenceForm, MultiplyByAWordIsLongMultiplication) {
  // The yardstick against numbers small enough to check in 128 bits, and
  // the carry out below k at the largest factor.
  const auto& ref = uhigh_detail::kernels::reference;
  const run a = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};  // 10^20 - 1
  run r(20);
  EXPECT_EQ(ref.mul_word(r.data(), a.data(), 20, ~0ull), ~0ull - 1);  // (10^20 - 1) k
  const std::string low = "81553255926290448385";                     // 10^20 - (2^64 - 1)
  for (std::size_t i = 0; i < 20; ++i)
    EXPECT_EQ(r[i], low[19 - i] - '0') << i;
  const run b = {3, 2, 1};  // 123
  run s(3);
  EXPECT_EQ(ref.mul_word(s.data(), b.data(), 3, 1000000007), 123000000u);  // 123000000861
  EXPECT_EQ(s, (run{1, 6, 8}));
}
