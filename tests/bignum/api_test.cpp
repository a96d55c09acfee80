// The promises an adopter relies on beyond the benchmark's own path: exact
// construction from every integer type and from text, multiplication by any
// integer, a subtraction that refuses a larger operand, comparisons, binary
// operators and moves. Random operands against GMP are in oracle_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "allocation_hooks.h"
#include "app/factorial.h"
#include "bignum/layout.h"
#include "test_support.h"

using namespace uhigh_bench;

using uhigh_detail::layout;

using test::digits_of;
using test::text_of;

namespace {

// Whether `x op= v` compiles, for the conversions that must not.
template <class T, class = void>
struct can_multiply_by : std::false_type {};
template <class T>
struct can_multiply_by<T, std::void_t<decltype(std::declval<uhigh&>() *= std::declval<T>())>>
    : std::true_type {};
template <class T, class = void>
struct can_add : std::false_type {};
template <class T>
struct can_add<T, std::void_t<decltype(std::declval<uhigh&>() += std::declval<T>())>>
    : std::true_type {};

// A failing operation must leave the object exactly as it was.
template <class Operation>
void expect_unchanged_after(uhigh& x, Operation operation) {
  const uhigh before(x);
  operation();
  EXPECT_EQ(digits_of(x), digits_of(before));
  EXPECT_EQ(layout::capacity(x), layout::capacity(before));
}

}  // namespace

static_assert(!std::is_constructible_v<uhigh, double> && !std::is_convertible_v<float, uhigh>);
static_assert(!can_multiply_by<double>::value && !can_add<double>::value);
static_assert(can_multiply_by<long long>::value && can_add<unsigned long long>::value);
static_assert(!std::is_convertible_v<std::string_view, uhigh>);  // text only explicitly
static_assert(std::is_nothrow_move_constructible_v<uhigh> &&
              std::is_nothrow_move_assignable_v<uhigh>);

TEST(PublicApi, ConstructionEveryIntegerTypeGivesItsExactValue) {
  EXPECT_EQ(text_of(uhigh(5000000000LL)), "5000000000");
  EXPECT_EQ(text_of(uhigh(3000000000u)), "3000000000");
  EXPECT_EQ(text_of(uhigh(ULLONG_MAX)), "18446744073709551615");
  EXPECT_EQ(text_of(uhigh(LLONG_MAX)), "9223372036854775807");
  EXPECT_EQ(text_of(uhigh(static_cast<unsigned short>(0))), "0");
  EXPECT_EQ(uhigh(ULLONG_MAX).digit_capacity(), 20u);
  EXPECT_EQ(uhigh(7UL).digit_capacity(), 10u);  // as uhigh(int) gives
  EXPECT_THROW(uhigh(-1LL), std::invalid_argument);
  EXPECT_THROW(uhigh(LLONG_MIN), std::invalid_argument);
  EXPECT_THROW(uhigh(static_cast<short>(-5)), std::invalid_argument);
}

TEST(PublicApi, ConstructionTextOfDigitsOnly) {
  EXPECT_EQ(text_of(uhigh(std::string_view("000123"))), "123");
  EXPECT_EQ(digits_of(uhigh(std::string_view("0000"))), std::vector<int>{0});
  EXPECT_EQ(uhigh(std::string_view("12345678901234567890123")).digit_capacity(), 23u);
  // '/' and ':' stand right below and above the digits.
  for (const char* bad : {"", "-1", "+1", " 1", "1 ", "12a3", "1.5", "1e3", "1/2", "12:3"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(uhigh{std::string_view(bad)}, std::invalid_argument);
  }
  try {
    uhigh{std::string_view("12a3")};
    FAIL();
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("position 2"), std::string::npos) << error.what();
  }
  EXPECT_EQ(to_string(uhigh(std::string_view("9081726354"))), "9081726354");
}

TEST(PublicApi, MultiplicationAnyIntegerFactorIsExact) {
  uhigh f(1);
  for (int k = 2; k <= 300; ++k)
    f *= k;  // int: from 256 on, no longer cut to a byte
  EXPECT_EQ(f, factorial(300));

  uhigh g(7);
  g *= 1000000007LL;
  g *= 255u;
  g *= static_cast<unsigned long long>(1) << 63;
  EXPECT_EQ(text_of(g), "16463719201031808417780423720960");

  uhigh h(12345);
  h *= 0L;
  EXPECT_EQ(digits_of(h), std::vector<int>{0});

  uhigh x(7);
  expect_unchanged_after(x, [&] { EXPECT_THROW(x *= -1, std::invalid_argument); });
  expect_unchanged_after(x, [&] { EXPECT_THROW(x *= LLONG_MIN, std::invalid_argument); });
}

TEST(PublicApi, MultiplicationAWordFactorGrowsInPlaceOrNotAtAll) {
  // The room for the product's new top digits is made before the pass:
  // with no room and the allocation failing, the value is untouched; with
  // room, the pass needs no allocation at all.
  uhigh a = test::from_text("98765432109876543210987654321098765432109876543210987654321098765");
  ASSERT_EQ(layout::capacity(a), layout::length(a));
  const std::string before = text_of(a);
  const std::int8_t* old_array = layout::digits(a);
  {
    test::failing_allocation fail(0);
    EXPECT_THROW(a *= 18446744073709551615ull, std::bad_alloc);
  }
  EXPECT_EQ(layout::digits(a), old_array);
  EXPECT_EQ(text_of(a), before);
  a *= 18446744073709551615ull;
  EXPECT_EQ(text_of(a),
            "182190064946022818009875065950987506595098750659509875065950"
            "9875057979967202280255475");
  a.reserve(layout::length(a) + 20);
  const std::int8_t* array = layout::digits(a);
  {
    test::failing_allocation fail(0);
    a *= 10000000000000000000ull;
  }
  EXPECT_EQ(layout::digits(a), array);
  EXPECT_EQ(text_of(a),
            "182190064946022818009875065950987506595098750659509875065950"
            "9875057979967202280255475"
            "0000000000000000000");
}

TEST(PublicApi, SubtractionALargerSubtrahendIsRefusedAndChangesNothing) {
  for (const auto& [minuend, subtrahend] :
       std::vector<std::pair<int, int>>{{5, 123}, {100, 999}, {5, 7}, {0, 1}, {99999, 100000}}) {
    SCOPED_TRACE(std::to_string(minuend) + " - " + std::to_string(subtrahend));
    uhigh a(minuend);
    const uhigh larger(subtrahend);
    expect_unchanged_after(a, [&] { EXPECT_THROW(a -= larger, std::domain_error); });
    EXPECT_THROW((void)(uhigh(minuend) - uhigh(subtrahend)), std::domain_error);
  }
  uhigh same(4711);
  const uhigh& alias = same;  // the same object, which a plain `same -= same` would say too
  same -= alias;
  EXPECT_EQ(digits_of(same), std::vector<int>{0});
}

TEST(PublicApi, OperatorsRelationsAndArithmeticAgreeWithCompare) {
  std::vector<uhigh> values = {uhigh(53), uhigh(7), uhigh(100), uhigh(57), uhigh(0), uhigh(99)};
  std::sort(values.begin(), values.end());
  std::vector<std::string> sorted;
  for (const uhigh& v : values)
    sorted.push_back(text_of(v));
  EXPECT_EQ(sorted, (std::vector<std::string>{"0", "7", "53", "57", "99", "100"}));
  EXPECT_EQ(std::max(uhigh(53), uhigh(57)), uhigh(57));
  EXPECT_TRUE(uhigh(53) != uhigh(57) && uhigh(53) <= uhigh(53) && uhigh(53) >= uhigh(53));
  EXPECT_FALSE(uhigh(57) < uhigh(53) || uhigh(57) == uhigh(53));

  const uhigh a(999), b(12);
  EXPECT_EQ(text_of(a + b), "1011");
  EXPECT_EQ(text_of(a - b), "987");
  EXPECT_EQ(text_of(a * b), "11988");
  EXPECT_EQ(text_of(a), "999");  // operands untouched
  EXPECT_EQ(text_of(5 + a), "1004");
}

TEST(PublicApi, MovesTakeTheArrayAndLeaveAnAssignableValue) {
  uhigh source(std::string_view("123456789012"));
  const std::int8_t* array = layout::digits(source);
  uhigh taken(std::move(source));
  EXPECT_EQ(layout::digits(taken), array);
  EXPECT_EQ(text_of(taken), "123456789012");
  EXPECT_TRUE(layout::capacity(source) == 0 && layout::length(source) == 0 &&
              layout::digits(source) == nullptr);

  source = uhigh(42);  // a moved-from value may be assigned to
  EXPECT_EQ(text_of(source), "42");
  source = std::move(taken);
  EXPECT_EQ(text_of(source), "123456789012");
  uhigh& alias = source;
  source = std::move(alias);  // self-move changes nothing
  EXPECT_EQ(text_of(source), "123456789012");

  // A growing vector moves its values: no digit array is copied.
  std::vector<uhigh> many;
  for (int i = 0; i < 100; ++i)
    many.emplace_back(i);
  const long before = test::array_allocations();
  many.reserve(many.capacity() * 4);
  EXPECT_EQ(test::array_allocations(), before);
  EXPECT_EQ(text_of(many[99]), "99");
}
