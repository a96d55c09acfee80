// Ordering and decimal text.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "bignum/layout.h"
#include "test_support.h"

using uhigh_detail::layout;

using test::from_text;
using test::text_of;

TEST(CompareOutput, CompareLengthDecidesFirstThenTheTopDifferingDigit) {
  EXPECT_EQ(compare(uhigh(100), uhigh(99)), 1);
  EXPECT_EQ(compare(uhigh(99), uhigh(100)), -1);
  EXPECT_EQ(compare(uhigh(53), uhigh(57)), -4);
  EXPECT_EQ(compare(uhigh(57), uhigh(53)), 4);
  EXPECT_EQ(compare(uhigh(90), uhigh(10)), 8);
  // The top digit decides even when a lower one points the other way.
  EXPECT_GT(compare(from_text("2000000000000000000001"), from_text("1999999999999999999999")), 0);
}

TEST(CompareOutput, CompareEqualValues) {
  const uhigh v = from_text("31415926535897932384626");
  const uhigh copy(v);
  EXPECT_EQ(compare(v, copy), 0);
  EXPECT_EQ(compare(v, v), 0);
  EXPECT_EQ(compare(uhigh(0), uhigh(0)), 0);
}

TEST(CompareOutput, CompareAValueOfNoDigitsIsZero) {
  // As a moved-from value is: equal to zero, below everything else.
  uhigh empty(0);
  layout::length(empty) = 0;
  EXPECT_EQ(compare(empty, uhigh(0)), 0);
  EXPECT_EQ(compare(uhigh(0), empty), 0);
  EXPECT_EQ(compare(empty, empty), 0);
  EXPECT_LT(compare(empty, uhigh(1)), 0);
  EXPECT_GT(compare(uhigh(1), empty), 0);
}

TEST(CompareOutput, GreaterThanIsStrict) {
  EXPECT_TRUE(uhigh(1) > uhigh(0));
  EXPECT_FALSE(uhigh(0) > uhigh(0));
  EXPECT_FALSE(uhigh(9) > uhigh(10));
}

TEST(CompareOutput, OutputWritesExactlyTheDigitsInUse) {
  EXPECT_EQ(text_of(uhigh(0)), "0");
  EXPECT_EQ(text_of(uhigh(305)), "305");
  uhigh spare = from_text("42", 30);
  layout::digits(spare)[5] = 7;  // beyond length: never printed
  EXPECT_EQ(text_of(spare), "42");
  uhigh empty(0);
  layout::length(empty) = 0;
  EXPECT_EQ(text_of(empty), "0");
}

TEST(CompareOutput, OutputChainsAndHonoursStreamFormatting) {
  std::ostringstream out;
  out << uhigh(120) << " and " << uhigh(7) << '\n';
  EXPECT_EQ(out.str(), "120 and 7\n");

  std::ostringstream padded;
  padded << std::setw(6) << std::setfill('.') << uhigh(305);
  EXPECT_EQ(padded.str(), "...305");
}

TEST(CompareOutput, OutputPrintsNumbersPastSixtyFiveThousandDigits) {
  const std::string text = "7" + std::string(70000, '0') + "3";
  EXPECT_EQ(text_of(from_text(text)), text);
}
