// The class's boundary as an adopter meets it: what must not compile, the
// conversions that must be exact or refused, a moved-from value that every
// operation takes as zero, and a kernel form chosen safely by whichever
// thread computes first.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>

#include "bignum/kernels.h"
#include "test_support.h"

using test::text_of;

namespace {

template <class T, class = void>
struct constructible_from : std::false_type {};
template <class T>
struct constructible_from<T, std::void_t<decltype(uhigh(std::declval<T>()))>> : std::true_type {};

template <class T, class = void>
struct multipliable_by : std::false_type {};
template <class T>
struct multipliable_by<T, std::void_t<decltype(std::declval<uhigh&>() *= std::declval<T>())>>
    : std::true_type {};

// Whether compare(a, b) is found for these argument types: through a uhigh
// argument only, so two ints find nothing.
template <class A, class B, class = void>
struct comparable : std::false_type {};
template <class A, class B>
struct comparable<A, B, std::void_t<decltype(compare(std::declval<A>(), std::declval<B>()))>>
    : std::true_type {};

template <class A, class B, class = void>
struct equality : std::false_type {};
template <class A, class B>
struct equality<A, B, std::void_t<decltype(std::declval<A>() == std::declval<B>())>>
    : std::true_type {};

}  // namespace

// Characters and truth values are no numbers, as values or as factors.
static_assert(!constructible_from<bool>::value && !constructible_from<char>::value &&
              !constructible_from<wchar_t>::value && !constructible_from<char16_t>::value &&
              !constructible_from<char32_t>::value);
static_assert(!multipliable_by<bool>::value && !multipliable_by<char>::value &&
              !multipliable_by<wchar_t>::value && !multipliable_by<char16_t>::value &&
              !multipliable_by<char32_t>::value);
#if defined(__cpp_char8_t)
static_assert(!constructible_from<char8_t>::value && !multipliable_by<char8_t>::value);
#endif
// signed char and unsigned char are numbers: std::int8_t and std::uint8_t.
static_assert(constructible_from<signed char>::value && constructible_from<unsigned char>::value);
static_assert(multipliable_by<signed char>::value && multipliable_by<std::uint8_t>::value);
// The literal nullptr is no text; a const char* is, explicitly.
static_assert(!constructible_from<std::nullptr_t>::value);
static_assert(std::is_constructible_v<uhigh, const char*> &&
              !std::is_convertible_v<const char*, uhigh>);
// compare and the relations are found through a uhigh argument only.
static_assert(!comparable<int, int>::value && comparable<uhigh, int>::value &&
              comparable<int, uhigh>::value);
static_assert(equality<uhigh, int>::value && equality<int, uhigh>::value);
#if defined(__SIZEOF_INT128__)
__extension__ typedef __int128 int128;
__extension__ typedef unsigned __int128 uint128;
static_assert(constructible_from<int128>::value && constructible_from<uint128>::value);
static_assert(multipliable_by<int128>::value && multipliable_by<uint128>::value);
#endif

TEST(Boundary, ConstructionHundredTwentyEightBitValuesAreExact) {
#if !defined(__SIZEOF_INT128__)
  GTEST_SKIP() << "this compiler has no 128-bit integers";
#else
  EXPECT_EQ(text_of(uhigh(uint128(1) << 100)), "1267650600228229401496703205376");
  EXPECT_EQ(text_of(uhigh((uint128(1) << 64) + 5)), "18446744073709551621");
  EXPECT_EQ(text_of(uhigh(~uint128(0))), "340282366920938463463374607431768211455");
  const int128 most = static_cast<int128>(~uint128(0) >> 1);
  EXPECT_EQ(text_of(uhigh(most)), "170141183460469231731687303715884105727");
  EXPECT_THROW(uhigh(int128(-1)), std::invalid_argument);
  EXPECT_THROW(uhigh(-most - 1), std::invalid_argument);
  uhigh x(3);
  x *= uint128(1) << 70;
  EXPECT_EQ(text_of(x), "3541774862152233910272");
  EXPECT_THROW(x *= int128(-2), std::invalid_argument);
  EXPECT_EQ(text_of(x), "3541774862152233910272");
#endif
}

TEST(Boundary, ConstructionANullTextPointerIsRefused) {
  const char* none = nullptr;
  EXPECT_THROW(uhigh{none}, std::invalid_argument);
  const char* text = "00420";
  EXPECT_EQ(text_of(uhigh(text)), "420");
  EXPECT_THROW(uhigh("4x"), std::invalid_argument);
}

TEST(Boundary, MovesAMovedFromValueIsZeroToEveryOperation) {
  const auto moved_from = [] {
    uhigh source(12345);
    uhigh taken(std::move(source));
    return source;  // copied out: a copy of a moved-from value is one too
  };
  uhigh a(0);
  {
    uhigh source(777);
    uhigh taken(std::move(source));
    a = std::move(source);
  }
  EXPECT_EQ(text_of(a), "0");
  EXPECT_EQ(to_string(a), "0");
  EXPECT_TRUE(a == uhigh(0) && uhigh(0) == a && a < uhigh(1));
  EXPECT_EQ(a.digit_count(), 1u);
  EXPECT_EQ(a.digit_data()[0], 0);

  // On the left of each operator.
  uhigh b = moved_from();
  const uhigh& same = b;
  b -= same;
  EXPECT_EQ(text_of(b), "0");
  b = moved_from();
  b -= uhigh(0);
  EXPECT_EQ(text_of(b), "0");
  EXPECT_THROW(b -= uhigh(1), std::domain_error);
  b = moved_from();
  b += b;
  EXPECT_EQ(text_of(b), "0");
  EXPECT_EQ(b.digit_count(), 1u);
  b = moved_from();
  b += uhigh(58);
  EXPECT_EQ(text_of(b), "58");
  for (const std::uint8_t factor : {0, 1, 7, 10, 200}) {
    uhigh c = moved_from();
    c *= factor;
    EXPECT_EQ(text_of(c), "0") << int(factor);
    EXPECT_EQ(c.digit_count(), 1u);
  }
  uhigh d = moved_from();
  d *= uhigh(987);
  EXPECT_EQ(text_of(d), "0");
  d = moved_from();
  d *= d;
  EXPECT_EQ(text_of(d), "0");

  // On the right.
  uhigh e(41);
  e += moved_from();
  e -= moved_from();
  EXPECT_EQ(text_of(e), "41");
  e *= moved_from();
  EXPECT_EQ(text_of(e), "0");
  EXPECT_EQ(e.digit_count(), 1u);

  // Copied and moved again.
  const uhigh f = moved_from();
  uhigh g(f);
  uhigh h(std::move(g));
  EXPECT_TRUE(f == uhigh(0) && g == uhigh(0) && h == uhigh(0));
  EXPECT_EQ(text_of(h + uhigh(5)), "5");
}
