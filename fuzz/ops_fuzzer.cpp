// Reads its input as a program of operations on four uhigh values, mirrors
// every operation on GMP integers and traps on the first disagreement. The
// first byte picks the kernel form, so every form the CPU runs is fuzzed.
#include <gmpxx.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "bignum/kernels/table.h"
#include "bignum/uhigh.h"
#include "ops_model.h"

using namespace fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  reader in{data, size};
  const auto forms = uhigh_detail::kernels::available();
  uhigh_kernels::select(forms[in.byte() % forms.size()]->name);

  uhigh value[4] = {uhigh(0), uhigh(1), uhigh(9), uhigh(99)};
  mpz_class model[4] = {0, 1, 9, 99};
  for (int step = 0; step < 64 && !in.empty(); ++step) {
    const int op = in.byte() % 18;
    uhigh& a = value[in.byte() % 4];
    mpz_class& ma = model[&a - value];
    const std::size_t bi = in.byte() % 4;
    const uhigh& b = value[bi];
    const mpz_class mb = model[bi];
    switch (op) {
      case 0: {  // from an integer of any type; a negative one is refused
        with_integer(in, [&](auto v) {
          try {
            a = uhigh(v);
            require(v >= 0);
            ma = to_mpz(v);
          } catch (const std::invalid_argument&) {
            require(v < 0);
          }
        });
        break;
      }
      case 1:
        if (std::max(layout::length(a), layout::length(b)) >= most_digits) continue;
        a += b;
        ma += mb;
        break;
      case 2:  // a larger subtrahend is refused and changes nothing
        try {
          a -= b;
          require(mb <= ma);
          ma -= mb;
        } catch (const std::domain_error&) {
          require(mb > ma);
        }
        break;
      case 3: {
        const std::uint8_t factor = in.byte();
        if (layout::length(a) >= most_digits) continue;
        a *= factor;
        ma *= factor;
        break;
      }
      case 4:
        if (layout::length(a) + layout::length(b) >= most_digits) continue;
        a *= b;
        ma *= mb;
        break;
      case 5: {  // every relation against GMP
        const int s = sign(cmp(ma, mb));
        require(sign(compare(a, b)) == s && (a > b) == (s > 0) && (a < b) == (s < 0));
        require((a == b) == (s == 0) && (a != b) == (s != 0));
        require((a <= b) == (s <= 0) && (a >= b) == (s >= 0));
        break;
      }
      case 6:
        a = b;
        ma = mb;
        require(layout::capacity(a) == layout::capacity(b) &&
                layout::length(a) == layout::length(b));
        break;
      case 7: {  // a factor of any integer type; a negative one is refused
        if (layout::length(a) >= most_digits) continue;
        with_integer(in, [&](auto v) {
          try {
            a *= v;
            require(v >= 0);
            ma *= to_mpz(v);
          } catch (const std::invalid_argument&) {
            require(v < 0);
          }
        });
        break;
      }
      case 8: {  // text: digits, or anything else the input holds
        const std::size_t length = in.byte() % 40;
        std::string text;
        for (std::size_t k = 0; k < length && !in.empty(); ++k) {
          const std::uint8_t c = in.byte();
          text += c < 200 ? static_cast<char>('0' + c % 10) : static_cast<char>(c);
        }
        const bool digits_only =
            !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
        // As a view, as a NUL-terminated text, or as a null pointer.
        const int how = in.byte() % 8;
        const char* const none = nullptr;
        try {
          a = how == 0  ? uhigh(none)
              : how < 4 ? uhigh(text.c_str())
                        : uhigh(std::string_view(text));
          require(digits_only && how != 0 && (how >= 4 || text.find('\0') == std::string::npos));
          ma = mpz_class(text, 10);
        } catch (const std::invalid_argument&) {
          require(!digits_only || how == 0 || (how < 4 && text.find('\0') != std::string::npos));
        }
        break;
      }
      case 9:  // binary operators leave their operands alone
        if (layout::length(a) + layout::length(b) >= most_digits) continue;
        switch (in.byte() % 3) {
          case 0:
            a = a + b;
            ma += mb;
            break;
          case 1:
            a = b * a;
            ma *= mb;
            break;
          default:
            if (mb > ma) continue;
            a = a - b;
            ma -= mb;
        }
        if (&b != &a) check(b, mb);
        break;
      case 12: {  // a long multiplier across a threshold of the packed product
        // Karatsuba's (64 limbs, 1216 digits) or the transforms' (900 limbs,
        // 17100 digits), give or take a little; the product is checked and
        // dropped, so the values stay short.
        const std::size_t around = in.byte() % 2 == 0 ? 1216 : 17100;
        const std::string text = long_number(in, around - 40 + in.byte() % 80, 7);
        const uhigh multiplier(std::string_view{text});
        const mpz_class m(text, 10);
        uhigh product(a);
        product *= multiplier;
        check(product, ma * m);
        check(multiplier * a, m * ma);
        break;
      }
      case 13: {  // division: quotient, remainder, both; a zero divisor changes nothing
        const int how = in.byte() % 4;
        if (mb == 0) {
          const mpz_class before = ma;
          bool refused = false;
          try {
            if (how == 0) a /= b;
            if (how == 1) a %= b;
            if (how >= 2) static_cast<void>(divmod(a, b));
          } catch (const std::domain_error&) {
            refused = true;
          }
          require(refused);
          check(a, before);
          continue;
        }
        const mpz_class q = ma / mb, r = ma % mb;
        if (how == 0) {
          a /= b;
          ma = q;
        } else if (how == 1) {
          a %= b;
          ma = r;
        } else {
          const auto [uq, ur] = divmod(a, b);
          check(uq, q);
          check(ur, r);
          check(a / b, q);
          check(a % b, r);
        }
        break;
      }
      case 14: {  // a built-in divisor of any type: negative and zero refused
        with_integer(in, [&](auto v) {
          const mpz_class mv = to_mpz(v);
          try {
            if (in.byte() % 2 == 0) {
              a /= v;
              ma /= mv;
            } else {
              a %= v;
              ma %= mv;
            }
            require(v > 0);
          } catch (const std::invalid_argument&) {
            require(v < 0);
          } catch (const std::domain_error&) {
            require(v == 0);
          }
        });
        break;
      }
      case 15: {  // a divisor across the reciprocal's threshold (80 limbs, 1520 digits)
        const std::string text = long_number(in, 1480 + in.byte() % 80, 5);
        const uhigh d(std::string_view{text});
        const mpz_class md(text, 10);
        // A dividend of one to three times the divisor's length, or less
        // than it when a is short.
        const unsigned k = 1 + in.byte();
        const uhigh n = a * d * uhigh(k) + b;
        const mpz_class model_n = ma * md * k + mb;
        const auto [uq, ur] = divmod(n, d);
        check(uq, model_n / md);
        check(ur, model_n % md);
        break;
      }
      case 16: {  // powers, conversions, truth and hashing
        const unsigned e = in.byte() % 40;
        if (layout::length(a) * std::max(e, 1u) >= most_digits) continue;
        mpz_class mp;
        mpz_pow_ui(mp.get_mpz_t(), ma.get_mpz_t(), e);
        check(pow(a, e), mp);
        require(static_cast<bool>(a) == (ma != 0));
        try {
          const auto v = static_cast<unsigned long long>(a);
          require(v == std::stoull(ma.get_str()));
        } catch (const std::overflow_error&) {
          require(ma > mpz_class("18446744073709551615"));
        }
        try {
          const auto v = static_cast<int>(a);
          require(v == std::stoi(ma.get_str()));
        } catch (const std::overflow_error&) {
          require(ma > 2147483647);
        }
        if (ma == mb) require(std::hash<uhigh>{}(a) == std::hash<uhigh>{}(b));
        break;
      }
      case 17: {  // stream input: digits, text, signs and white space
        const std::size_t length = in.byte() % 30;
        std::string text;
        for (std::size_t k = 0; k < length && !in.empty(); ++k) {
          const std::uint8_t c = in.byte();
          text += c < 160 ? static_cast<char>('0' + c % 10) : " +-x\n"[c % 5];
        }
        std::istringstream stream(text);
        const mpz_class before = ma;
        if (stream >> a) {
          // What the standard extraction of an unsigned long long accepts,
          // where it fits.
          std::size_t at = text.find_first_not_of(" \n");
          require(at != std::string::npos);
          if (text[at] == '+') ++at;
          const std::size_t end = text.find_first_not_of("0123456789", at);
          const std::string run = text.substr(at, end == std::string::npos ? end : end - at);
          require(!run.empty());
          ma = mpz_class(run, 10);
        } else {
          check(a, before);
        }
        break;
      }
      case 10: {  // moves: a moved-from value is zero, and stays in play
        uhigh taken(std::move(a));
        require(layout::length(a) == 0 && layout::digits(a) == nullptr);
        if (in.byte() % 2 == 0) {
          a = std::move(taken);
        } else {
          ma = 0;
        }
        break;
      }
      default:
        if (layout::length(a) >= most_digits) continue;
        a += a;
        ma += ma;
        break;
    }
    check(a, ma);
  }
  for (int k = 0; k < 4; ++k)
    check(value[k], model[k]);  // the operands were left alone
  return 0;
}
