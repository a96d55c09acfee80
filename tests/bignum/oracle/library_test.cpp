// The library's wider operations against GMP on seeded random operands:
// text and relations, products of every shape and size, built-in factors,
// division and built-in divisors.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>

#include "app/dialogue.h"
#include "app/factorial.h"
#include "bignum/kernels/table.h"
#include "bignum/limbs/limbs.h"
#include "oracle.h"
#include "test_support.h"

using namespace uhigh_bench;

using namespace oracle;
using test::from_text;
using test::text_of;

TEST(Oracle, TextRelationsBinaryOperatorsAndWideFactors) {
  std::mt19937 random(seed() + 7);
  std::mt19937_64 wide(seed() + 8);
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE(trace(i));
    // Equal lengths half of the time, so the digits decide the relations.
    const std::string x = random_number(random, random_length(random, 400));
    const std::string y = i % 2 == 0 ? random_number(random, x.size())
                                     : random_number(random, random_length(random, 400));
    const mpz_class mx(x), my(y);
    const uhigh a(std::string_view(std::string(i % 7, '0') + x));  // leading zeros dropped
    const uhigh b(std::string_view{y});
    ASSERT_EQ(to_string(a), x);
    ASSERT_EQ((a == b), (mx == my));
    ASSERT_EQ((a != b), (mx != my));
    ASSERT_EQ((a < b), (mx < my));
    ASSERT_EQ((a <= b), (mx <= my));
    ASSERT_EQ((a >= b), (mx >= my));
    ASSERT_EQ(to_string(a + b), mpz_class(mx + my).get_str());
    ASSERT_EQ(to_string(a * b), mpz_class(mx * my).get_str());
    if (mx >= my) {
      ASSERT_EQ(to_string(a - b), mpz_class(mx - my).get_str());
    } else {
      ASSERT_THROW((void)(a - b), std::domain_error);
    }

    // Factors of every width, across the 255/256 boundary and up to 2^64-1.
    const unsigned long long factor = wide() >> (wide() % 64);
    mpz_class expected = mx;
    expected *= mpz_class(std::to_string(factor));
    uhigh product = a;
    product *= factor;
    ASSERT_EQ(to_string(product), expected.get_str()) << "factor " << factor;
    uhigh narrow = a;
    narrow *= static_cast<unsigned short>(factor);
    ASSERT_EQ(to_string(narrow), mpz_class(mx * static_cast<unsigned short>(factor)).get_str());
    const uhigh built(factor);
    ASSERT_EQ(to_string(built), std::to_string(factor));
  }
}

TEST(Oracle, LongProductsOfEveryShapeAndSize) {
  // Past the long multiplication's 10 digits everything goes through packed
  // limbs: schoolbook, Karatsuba from 64 limbs (1216 digits), the transforms
  // from 900 limbs (17100 digits) of the shorter operand. Each threshold
  // and one digit either side, balanced and uneven (1:1, 1:10, 1:1000), up
  // to a million digits; uniform, 9-heavy and 0-heavy operands, all 9s,
  // powers of ten; both orders, and squaring in place.
  std::mt19937 random(seed() + 40);
  const bool small = small_bounds();
  std::vector<std::pair<std::size_t, std::size_t>> shapes = {
      {11, 11},       {12, 11},       {1215, 1215},   {1216, 1216},   {1217, 1217},
      {1216, 11},     {17099, 17099}, {17100, 17100}, {17101, 17101}, {17100, 1216},
      {40000, 17100}, {1000, 100},    {10000, 1000},  {1000000, 1000}};
  if (!small) {
    shapes.insert(shapes.end(),
                  {{100000, 100000}, {100000, 10000}, {1000000, 1000000}, {1000000, 100000}});
  }
  if (!UHIGH_PACKED) {
    // Without 128-bit products (32-bit ARM) every product is long
    // multiplication, quadratic: the short shapes only.
    shapes = {{11, 11}, {12, 11}, {1216, 1216}, {1216, 11}, {1000, 100}};
  }
  for (const auto& [na, nb] : shapes) {
    for (int kind = 0; kind < 3; ++kind) {
      SCOPED_TRACE(trace(static_cast<int>(na * 7 + nb * 3) + kind));
      std::string a, b;
      if (kind == 0) {  // random shapes
        a = random_number(random, na), b = random_number(random, nb);
      } else if (kind == 1) {  // all 9s
        a = std::string(na, '9'), b = std::string(nb, '9');
      } else {  // a power of ten, times runs of zeros inside 9s
        a = power_of_ten(na - 1);
        b = std::string(nb, '9');
        for (std::size_t i = 1; i + 40 < nb; i += 97)
          b.replace(i, 30, 30, '0');
      }
      const mpz_class x(a, 10), y(b, 10);
      const std::string expected = mpz_class(x * y).get_str();
      uhigh u(std::string_view{a}), v(std::string_view{b});
      ASSERT_EQ(to_string(u * v), expected) << na << " x " << nb;
      ASSERT_EQ(to_string(v * u), expected) << nb << " x " << na;
      if (na <= 100000 || !small) {
        u *= u;
        ASSERT_EQ(to_string(u), mpz_class(x * x).get_str()) << na << " squared";
      }
    }
  }
}

TEST(Oracle, BuiltInFactorsOfEveryWidthInOnePass) {
  std::mt19937_64 random(seed() + 41);
  const std::size_t most = small_bounds() ? 2000 : 50000;
  for (int round = 0; round < 60; ++round) {
    const std::string text = random_text(random, most);
    const unsigned long long k = edge_or_random_word(random, round, 0);
    SCOPED_TRACE(trace(round));
    const mpz_class x(text, 10);
    const std::string expected = mpz_class(x * mpz_class(std::to_string(k), 10)).get_str();
    uhigh u(std::string_view{text});
    EXPECT_EQ(to_string(u * k), expected) << k;
    EXPECT_EQ(to_string(k * u), expected) << k;
    u *= k;
    ASSERT_EQ(to_string(u), expected) << k;
    uhigh w(std::string_view{text});
    w *= static_cast<long long>(k >> 1);  // a signed type too
    ASSERT_EQ(to_string(w), mpz_class(x * mpz_class(std::to_string(k >> 1), 10)).get_str());
#if defined(__SIZEOF_INT128__)
    __extension__ const unsigned __int128 wide = (static_cast<unsigned __int128>(k) << 64) | 12345u;
    uhigh z(std::string_view{text});
    z *= wide;
    mpz_class m(std::to_string(k), 10);
    m = m * mpz_class("18446744073709551616", 10) + 12345;
    ASSERT_EQ(to_string(z), mpz_class(x * m).get_str());
#endif
  }
}

TEST(Oracle, DivisionOfEveryShapeAndSize) {
  // One pass for divisors of up to 19 digits (one limb), algorithm D
  // below 80 limbs (1520 digits) of divisor or quotient, the reciprocal
  // above, and the cut-down divisor when the quotient is the shorter: each
  // edge and one digit either side, up to a million digits; uniform,
  // 9-heavy and 0-heavy operands, all 9s, powers of ten, remainders of 0
  // and of b - 1, and a divisor as long as the dividend or longer.
  std::mt19937 random(seed() + 50);
  const bool small = small_bounds();
  std::vector<std::pair<std::size_t, std::size_t>> shapes = {
      {1, 1},         {19, 19},       {20, 19},       {20, 20},       {39, 20},     {200, 38},
      {1519, 1519},   {3040, 1520},   {3041, 1521},   {3000, 1500},   {5000, 2000}, {5000, 3400},
      {20000, 19000}, {40000, 20000}, {100000, 1000}, {100000, 99999}};
  if (!small) {
    shapes.insert(shapes.end(),
                  {{200000, 100000}, {1000000, 500000}, {1000000, 1000}, {1000000, 900000}});
  }
  if (!UHIGH_PACKED) shapes = {{1, 1}, {20, 19}, {39, 20}, {200, 38}, {600, 300}};
  for (const auto& [na, nb] : shapes) {
    // The largest sizes take the random and all-9s kinds alone.
    for (int kind = 0; kind < (na > 100000 ? 2 : 5); ++kind) {
      SCOPED_TRACE(trace(static_cast<int>(na * 5 + nb * 3) + kind));
      std::string a, b;
      if (kind == 0) {
        a = random_number(random, na), b = random_number(random, nb);
      } else if (kind == 1) {  // all 9s over all 9s, and over a power of ten
        a = std::string(na, '9'), b = std::string(nb, '9');
      } else if (kind == 2) {
        a = power_of_ten(na - 1), b = power_of_ten(nb - 1);
      } else {  // a = q b + r with r = 0 or b - 1 by construction
        b = random_number(random, nb);
        const mpz_class q(random_number(random, std::max<std::size_t>(1, na - nb + 1)), 10);
        const mpz_class mb(b, 10);
        a = mpz_class(q * mb + (kind == 3 ? mpz_class(0) : mpz_class(mb - 1))).get_str();
      }
      const mpz_class x(a, 10), y(b, 10);
      const uhigh u(std::string_view{a}), v(std::string_view{b});
      const auto [q, r] = divmod(u, v);
      ASSERT_EQ(to_string(q), mpz_class(x / y).get_str()) << na << " / " << nb;
      ASSERT_EQ(to_string(r), mpz_class(x % y).get_str()) << na << " % " << nb;
      // The divisor longer than the dividend: quotient 0, remainder all.
      const auto [none, all] = divmod(v, u * uhigh(10));
      ASSERT_EQ(to_string(none), "0");
      ASSERT_EQ(all, v);
      uhigh w = u;
      w %= v;
      ASSERT_EQ(w, r);
    }
  }
}

TEST(Oracle, BuiltInDivisorsOfEveryWidth) {
  std::mt19937_64 random(seed() + 51);
  const std::size_t most = small_bounds() ? 2000 : 50000;
  for (int round = 0; round < 60; ++round) {
    const std::string text = random_text(random, most);
    const unsigned long long k = edge_or_random_word(random, round, 1);
    SCOPED_TRACE(trace(round));
    const mpz_class x(text, 10), mk(std::to_string(k), 10);
    uhigh u(std::string_view{text});
    EXPECT_EQ(to_string(u % k), mpz_class(x % mk).get_str()) << k;
    u /= k;
    ASSERT_EQ(to_string(u), mpz_class(x / mk).get_str()) << k;
#if defined(__SIZEOF_INT128__)
    __extension__ const unsigned __int128 wide = (static_cast<unsigned __int128>(k) << 64) | 12345u;
    const mpz_class mw = mk * mpz_class("18446744073709551616", 10) + 12345;
    const uhigh z(std::string_view{text});
    ASSERT_EQ(to_string(z / wide), mpz_class(x / mw).get_str());
    ASSERT_EQ(to_string(z % wide), mpz_class(x % mw).get_str());
#endif
  }
}
