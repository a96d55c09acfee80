// Division's promises beyond its values (which the oracle tests hold to
// GMP): the errors change nothing, an operand may be the target, and the
// results keep the class's invariants.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "test_support.h"

using test::text_of;

TEST(Divide, ErrorsLeaveTheDividendAsItWas) {
  const std::string digits = "123456789012345678901234567890123456789";
  uhigh x(std::string_view{digits});
  const std::uint32_t capacity = layout::capacity(x);
  EXPECT_THROW(x /= uhigh(0), std::domain_error);
  EXPECT_THROW(x %= 0, std::domain_error);
  EXPECT_THROW(x /= -3, std::invalid_argument);
  EXPECT_THROW(x %= static_cast<long long>(-1), std::invalid_argument);
  EXPECT_THROW(static_cast<void>(divmod(x, uhigh(0))), std::domain_error);
  EXPECT_THROW(static_cast<void>(x / 0u), std::domain_error);
  EXPECT_EQ(text_of(x), digits);
  EXPECT_EQ(layout::capacity(x), capacity);
  // A moved-from divisor is zero too; a moved-from dividend divides as 0.
  uhigh gone(7);
  uhigh taken(std::move(gone));
  EXPECT_THROW(x /= gone, std::domain_error);
  EXPECT_EQ(text_of(gone / taken), "0");
}

TEST(Divide, AnOperandMayBeTheTarget) {
  uhigh x(std::string_view{"98765432109876543210987654321"});
  const uhigh& x_alias = x;
  x /= x_alias;
  EXPECT_EQ(text_of(x), "1");
  uhigh y(std::string_view{"98765432109876543210987654321"});
  const uhigh& y_alias = y;
  y %= y_alias;
  EXPECT_EQ(text_of(y), "0");
  uhigh z(std::string_view{"100000000000000000000000000000000000000007"});
  const uhigh seven(7);
  // z = 10^41 + 7 = 7 (z / 7) + 5, as z / 7 = (10^41 - 5) / 7 + 2; the
  // quotient comes from z and goes back into it.
  z = z % (z / seven);
  EXPECT_EQ(text_of(z), "5");
}

TEST(Divide, ResultsKeepTheInvariants) {
  // A quotient much shorter than its dividend, and a remainder far shorter
  // than the array it replaces: no leading zero, spare room all zero.
  uhigh x(std::string_view{std::string(3000, '9')});
  x.reserve(5000);
  x %= uhigh(std::string_view{"1" + std::string(2990, '0')});
  EXPECT_EQ(text_of(x), std::string(2990, '9'));
  uhigh y(std::string_view{std::string(3000, '9')});
  y /= uhigh(std::string_view{std::string(2999, '9')});
  EXPECT_EQ(text_of(y), "10");
  for (const uhigh* v : {&x, &y}) {
    ASSERT_NE(layout::digits(*v)[layout::length(*v) - 1], 0);
    for (std::uint32_t i = layout::length(*v); i < layout::capacity(*v); ++i)
      ASSERT_EQ(layout::digits(*v)[i], 0) << i;
  }
}
