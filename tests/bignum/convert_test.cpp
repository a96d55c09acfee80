// Conversions to built-in integers, truth, hashing, stream input and powers:
// the promises an adopter relies on first, each at its edges.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unordered_set>
#include <utility>

#include "allocation_hooks.h"
#include "test_support.h"

using test::text_of;

namespace {

// The largest value of T converts exactly; one more overflows and leaves
// the value alone.
template <class T>
void check_limit() {
  const auto most = std::numeric_limits<T>::max();
  const uhigh at(most);
  EXPECT_EQ(static_cast<T>(at), most);
  const uhigh past = at + uhigh(1);
  EXPECT_THROW(static_cast<void>(static_cast<T>(past)), std::overflow_error);
  EXPECT_EQ(text_of(past), text_of(at + uhigh(1)));
  EXPECT_EQ(static_cast<T>(uhigh(0)), T{0});
}

}  // namespace

TEST(Convert, ConversionEveryIntegerTypeAtItsLimitAndOnePast) {
  check_limit<signed char>();
  check_limit<unsigned char>();
  check_limit<short>();
  check_limit<unsigned short>();
  check_limit<int>();
  check_limit<unsigned>();
  check_limit<long>();
  check_limit<unsigned long>();
  check_limit<long long>();
  check_limit<unsigned long long>();
  EXPECT_EQ(static_cast<std::uint64_t>(uhigh(std::string_view("12345678901234567890"))),
            12345678901234567890u);
  EXPECT_THROW(
      static_cast<void>(static_cast<int>(uhigh(std::string_view("1" + std::string(80, '0'))))),
      std::overflow_error);
#if defined(__SIZEOF_INT128__)
  __extension__ typedef unsigned __int128 u128;
  __extension__ typedef __int128 i128;
  const u128 all = ~u128{0};
  EXPECT_TRUE(static_cast<u128>(uhigh(all)) == all);
  EXPECT_THROW(static_cast<void>(static_cast<u128>(uhigh(all) + uhigh(1))), std::overflow_error);
  EXPECT_TRUE(static_cast<i128>(uhigh(static_cast<i128>(all >> 1))) == static_cast<i128>(all >> 1));
  EXPECT_THROW(static_cast<void>(static_cast<i128>(uhigh(all >> 1) + uhigh(1))),
               std::overflow_error);
#endif
}

TEST(Convert, ConversionTruthIsNonZero) {
  EXPECT_FALSE(uhigh(0));
  EXPECT_TRUE(uhigh(1));
  EXPECT_TRUE(uhigh(std::string_view("1" + std::string(50, '0'))));
  uhigh moved(5);
  uhigh taken(std::move(moved));
  EXPECT_FALSE(moved);  // a moved-from value is zero
  EXPECT_TRUE(taken);
}

TEST(Convert, HashingEqualValuesHashEqualAndSmallOnesAsTheirNumber) {
  const std::hash<uhigh> h;
  // The same value with different capacities and histories.
  uhigh grown(123456);
  grown.reserve(500);
  uhigh computed(std::string_view("123455"));
  computed += uhigh(1);
  EXPECT_EQ(h(grown), h(uhigh(123456)));
  EXPECT_EQ(h(computed), h(uhigh(123456)));
  for (const unsigned long long v : {0ull, 9ull, 10ull, 1234567890123456789ull, ~0ull})
    EXPECT_EQ(h(uhigh(v)), std::hash<unsigned long long>{}(v)) << v;
  // Long values: equal ones equal, and no collisions among a few thousand
  // neighbours and powers.
  const std::string big = "7" + std::string(60, '3');
  EXPECT_EQ(h(uhigh(std::string_view(big))), h(uhigh(std::string_view("000" + big))));
  std::unordered_set<std::size_t> seen;
  uhigh x{std::string_view(big)};
  for (int i = 0; i < 3000; ++i, x += uhigh(1))
    seen.insert(h(x));
  uhigh p(1);
  for (int i = 0; i < 1000; ++i, p *= std::uint8_t(10))
    seen.insert(h(p));
  EXPECT_GE(seen.size(), 3000u + 1000u - 20u);  // 20 small powers of ten are small numbers
  std::unordered_set<uhigh> keys = {uhigh(1), uhigh(std::string_view(big)), uhigh(1)};
  EXPECT_EQ(keys.size(), 2u);
}

TEST(Convert, HashingValuesThatDifferInOneWordOnlyDoNotCollide) {
  // A hash that skipped the top partial word, or the bottom one, would give
  // each pair one value. The lengths put the top word at 1, 2, 18 and 19
  // digits (21, 40, 56 and 57 digits).
  const std::hash<uhigh> h;
  for (const std::size_t n : {21u, 40u, 56u, 57u, 61u}) {
    const std::string middle(n - 2, '4');
    for (const auto& [a, b] : {std::pair{"1" + middle + "0", "2" + middle + "0"},
                               std::pair{"9" + middle + "1", "9" + middle + "2"}}) {
      EXPECT_NE(h(uhigh(std::string_view(a))), h(uhigh(std::string_view(b)))) << a << " " << b;
    }
  }
  EXPECT_NE(h(pow(uhigh(10), 60)), h(uhigh(2) * pow(uhigh(10), 60)));
}

TEST(Convert, StreamInputReadsAsUnsignedExtractionDoes) {
  const auto read = [](const std::string& text, uhigh& into, std::string& rest) {
    std::istringstream in(text);
    in >> into;
    const auto state = in.rdstate();
    in.clear();
    std::getline(in, rest, '\0');
    return state;
  };
  uhigh v(7);
  std::string rest;
  EXPECT_EQ(read("  \n+000123456789012345678901234567890abc", v, rest), std::ios_base::goodbit);
  EXPECT_EQ(text_of(v), "123456789012345678901234567890");
  EXPECT_EQ(rest, "abc");                                 // the first non-digit stays
  EXPECT_EQ(read("42", v, rest), std::ios_base::eofbit);  // as for int
  EXPECT_EQ(text_of(v), "42");
  // Every malformed start that unsigned extraction refuses: one sign at most.
  for (const std::string bad :
       {"", "   ", "-5", "+", "x1", "+-1", "++5", "-+5", "--5", "+ 5", "+x"}) {
    uhigh w(99);
    EXPECT_TRUE(read(bad, w, rest) & std::ios_base::failbit) << bad;
    EXPECT_EQ(text_of(w), "99") << bad;  // unchanged
  }
  std::istringstream tight(" 5");
  tight >> std::noskipws;
  uhigh w(3);
  tight >> w;
  EXPECT_TRUE(tight.fail());
  EXPECT_EQ(text_of(w), "3");
  std::istringstream two("12 34");
  uhigh a(0), b(0);
  two >> a >> b;
  EXPECT_EQ(text_of(a) + "," + text_of(b), "12,34");
}

TEST(Convert, PowerRepeatedSquaringAndItsEdges) {
  EXPECT_EQ(text_of(pow(uhigh(0), 0)), "1");
  EXPECT_EQ(text_of(pow(uhigh(7), 0u)), "1");
  EXPECT_EQ(text_of(pow(uhigh(0), 5)), "0");
  EXPECT_EQ(text_of(pow(uhigh(1), ~0ull)), "1");
  EXPECT_EQ(text_of(pow(uhigh(2), 100)), "1267650600228229401496703205376");
  EXPECT_EQ(text_of(pow(uhigh(10), 30)), "1" + std::string(30, '0'));
  EXPECT_EQ(text_of(pow(uhigh(99), std::uint8_t{3})), "970299");
  EXPECT_THROW(pow(uhigh(2), -1), std::invalid_argument);
  EXPECT_THROW(pow(uhigh(2), ~0ull), std::length_error);
  uhigh x(3);
  x = pow(x, 40);  // base and result one object
  EXPECT_EQ(text_of(x), "12157665459056928801");
  // Catches a refusal left to the squarings: a result surely past the
  // limit (2^32 + 1 digits, 5 10^9 + 1, about 4.39 10^9 for 99^(2.2 10^9)) is
  // refused before any squaring allocates, where the late refusal would
  // first square its way to billions of digits.
  for (const auto& [base, exponent] :
       {std::pair{10, 4294967296ull}, {10, 5000000000ull}, {99, 2200000000ull}}) {
    const uhigh b(base);
    const test::failing_allocation fail(2);  // the base's copy and the result's 1 succeed
    EXPECT_THROW(pow(b, exponent), std::length_error) << base << "^" << exponent;
  }
}

TEST(Convert, PowerBasesEndingInZeroOrOneAndExponentsPastSixtyFourBits) {
  // Units digit 0 or 1 is not a base of 0 or 1: no shortcut may take them.
  EXPECT_EQ(text_of(pow(uhigh(11), 2)), "121");
  EXPECT_EQ(text_of(pow(uhigh(21), 3)), "9261");
  EXPECT_EQ(text_of(pow(uhigh(101), 2)), "10201");
  EXPECT_EQ(text_of(pow(uhigh(10), 3)), "1000");
  EXPECT_EQ(text_of(pow(uhigh(20), 2)), "400");
  EXPECT_EQ(text_of(pow(uhigh(0), ~0ull)), "0");
  EXPECT_THROW(pow(uhigh(10), ~0ull), std::length_error);
#if defined(__SIZEOF_INT128__)
  // At and past 2^64 an exponent is clamped, never cut to its low bits:
  // 2^64 masked to 64 bits would be 0, and x^0 is 1.
  __extension__ typedef unsigned __int128 u128;
  __extension__ typedef __int128 i128;
  const u128 two_64 = u128{1} << 64;
  for (const u128 e : {two_64, two_64 + 1, ~u128{0}}) {
    EXPECT_EQ(text_of(pow(uhigh(0), e)), "0");
    EXPECT_EQ(text_of(pow(uhigh(1), e)), "1");
    EXPECT_THROW(pow(uhigh(2), e), std::length_error);
    EXPECT_THROW(pow(uhigh(11), e), std::length_error);
    EXPECT_EQ(text_of(pow(uhigh(0), static_cast<i128>(e >> 1))), "0");
    EXPECT_THROW(pow(uhigh(2), static_cast<i128>(e >> 1)), std::length_error);
  }
  EXPECT_EQ(text_of(pow(uhigh(1), static_cast<i128>(two_64))), "1");
  EXPECT_EQ(text_of(pow(uhigh(3), u128{5})), "243");
  EXPECT_THROW(pow(uhigh(2), i128{-1}), std::invalid_argument);
#endif
}
