// In-place addition and subtraction: carry and borrow chains, growth,
// self-operands, leading zeros.
#include <gtest/gtest.h>

#include "bignum/layout.h"
#include "test_support.h"

using uhigh_detail::layout;

using test::digits_of;
using test::from_text;
using test::text_of;

TEST(AddSub, AdditionCarriesIntoANewTopDigit) {
  uhigh a(95);
  a += uhigh(7);
  EXPECT_EQ(digits_of(a), (std::vector<int>{2, 0, 1}));

  uhigh b(7);
  b += uhigh(95);  // the longer right operand supplies the top position
  EXPECT_EQ(digits_of(b), (std::vector<int>{2, 0, 1}));

  uhigh c(999);
  c += uhigh(1);
  EXPECT_EQ(text_of(c), "1000");

  uhigh z(0);
  z += uhigh(123);
  EXPECT_EQ(layout::length(z), 3u);
  EXPECT_EQ(text_of(z), "123");
}

TEST(AddSub, AdditionCarryRipplesThroughLongRunsOfNines) {
  uhigh a = from_text(std::string(1000, '9'));
  a += uhigh(1);
  EXPECT_EQ(text_of(a), "1" + std::string(1000, '0'));

  uhigh b(1);
  b += from_text(std::string(999, '9'));
  EXPECT_EQ(text_of(b), "1" + std::string(999, '0'));
}

TEST(AddSub, AdditionReservesTheLongerLengthPlusOneEvenWithoutCarry) {
  uhigh a(1234567890);
  ASSERT_EQ(layout::capacity(a), 10u);
  a += uhigh(1);
  EXPECT_EQ(layout::capacity(a), 20u);
  EXPECT_EQ(text_of(a), "1234567891");
}

TEST(AddSub, SelfAdditionDoublesAcrossGrowth) {
  uhigh x(1);
  std::vector<std::uint32_t> capacities;
  for (int i = 0; i < 100; ++i) {
    x += x;
    if (capacities.empty() || capacities.back() != layout::capacity(x))
      capacities.push_back(layout::capacity(x));
    if (i == 9) {
      EXPECT_EQ(text_of(x), "1024");
    }
  }
  EXPECT_EQ(text_of(x), "1267650600228229401496703205376");
  EXPECT_EQ(layout::capacity(x), 40u);
  EXPECT_EQ(capacities, (std::vector<std::uint32_t>{10, 20, 30, 40}));
  EXPECT_TRUE(test::spare_room_is_zero(x));
}

TEST(AddSub, AdditionKeepsLeadingZerosItIsGiven) {
  uhigh zeros = from_text("00");
  zeros += uhigh(5);
  EXPECT_EQ(digits_of(zeros), (std::vector<int>{5, 0}));
}

TEST(AddSub, SubtractionStripsTheLeadingZerosItMakes) {
  uhigh a(100);
  a -= uhigh(1);
  EXPECT_EQ(layout::length(a), 2u);
  EXPECT_EQ(text_of(a), "99");

  uhigh b(1000);
  b -= uhigh(999);
  EXPECT_EQ(layout::length(b), 1u);
  EXPECT_EQ(text_of(b), "1");

  uhigh c(1000);
  c -= uhigh(1);  // the borrow runs through three zeros
  EXPECT_EQ(layout::length(c), 3u);
  EXPECT_EQ(text_of(c), "999");
  EXPECT_EQ(layout::capacity(c), 10u) << "subtraction never reallocates";
}

TEST(AddSub, SubtractionDownToZero) {
  uhigh a(5);
  a -= uhigh(5);
  EXPECT_EQ(digits_of(a), (std::vector<int>{0}));

  uhigh big = from_text("918273645546372819");
  const uhigh& same = big;
  big -= same;
  EXPECT_EQ(digits_of(big), (std::vector<int>{0}));
}

TEST(AddSub, SubtractionBorrowRipplesAcrossALongRun) {
  uhigh a = from_text("1" + std::string(700, '0'));
  a -= uhigh(1);
  EXPECT_EQ(text_of(a), std::string(700, '9'));
  uhigh b(123);
  b -= uhigh(0);
  EXPECT_EQ(text_of(b), "123");
}
