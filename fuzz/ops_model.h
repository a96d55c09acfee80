// What the operations fuzzer keeps beside its loop: the input as a stream
// of bytes, the invariants and value checked against GMP after every step,
// and integers of every built-in type drawn from the input.
#pragma once

#include <gmpxx.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "bignum/layout.h"
#include "bignum/uhigh.h"

namespace fuzz {

// Traps, which libFuzzer reports with the input, when ok is false.
inline void require(bool ok) {
  if (!ok) __builtin_trap();
}

using uhigh_detail::layout;

constexpr std::uint32_t most_digits = 3000;  // keeps each input fast

struct reader {
  const std::uint8_t* data;
  std::size_t size;
  bool empty() const { return size == 0; }
  std::uint8_t byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

// Decimal text of length digits (no leading zero) from one seed byte of the
// input, its digits varied with a period of about `period`: operands long
// enough to cross a method's threshold, from a few bytes.
inline std::string long_number(reader& in, std::size_t length, unsigned period) {
  std::string text(length, '0');
  const std::uint8_t seed = in.byte();
  for (std::size_t k = 0; k < length; ++k)
    text[k] = static_cast<char>('0' + (seed * (k + 1) + k / period) % 10);
  text[0] = static_cast<char>('1' + seed % 9);
  return text;
}

inline std::string text_of(const uhigh& x) {
  std::ostringstream out;
  out << x;
  return out.str();
}

// The invariants every operation keeps, zero as one digit included, and the
// value against GMP.
inline void check(const uhigh& x, const mpz_class& expected) {
  if (layout::length(x) == 0) {  // moved from: zero to every operation
    require(layout::capacity(x) == 0 && layout::digits(x) == nullptr && expected == 0);
    require(text_of(x) == "0" && to_string(x) == "0" && x == uhigh(0) && x.digit_count() == 1);
    return;
  }
  require(layout::length(x) >= 1 && layout::length(x) <= layout::capacity(x) &&
          layout::digits(x) != nullptr);
  require(layout::length(x) == 1 || layout::digits(x)[layout::length(x) - 1] != 0);
  for (std::uint32_t i = 0; i < layout::length(x); ++i)
    require(layout::digits(x)[i] >= 0 && layout::digits(x)[i] <= 9);
  for (std::uint32_t i = layout::length(x); i < layout::capacity(x); ++i)
    require(layout::digits(x)[i] == 0);
  require(text_of(x) == expected.get_str() && to_string(x) == expected.get_str());
}

inline int sign(int v) { return (v > 0) - (v < 0); }

// An integer of a width and signedness the input picks, as the text GMP
// reads; calls use(value) with it in its own type.
__extension__ typedef __int128 int128;
__extension__ typedef unsigned __int128 uint128;

// Any integer of the kinds with_integer makes, as GMP holds it.
template <class Integer>
mpz_class to_mpz(Integer v) {
  if constexpr (sizeof(Integer) <= sizeof(long long)) {
    return mpz_class(std::to_string(v));
  } else {
    const bool negative = v < 0;
    const auto magnitude = negative ? -static_cast<uint128>(v) : static_cast<uint128>(v);
    mpz_class m(std::to_string(static_cast<unsigned long long>(magnitude >> 64)));
    m <<= 64;
    m += mpz_class(std::to_string(static_cast<unsigned long long>(magnitude)));
    return negative ? mpz_class(-m) : m;
  }
}

template <class Use>
void with_integer(reader& in, Use use) {
  std::uint64_t bits = 0, more = 0;
  for (int k = 0; k < 8; ++k)
    bits = bits << 8 | in.byte();
  const int kind = in.byte() % 8;
  if (kind >= 6) {
    for (int k = 0; k < 8; ++k)
      more = more << 8 | in.byte();
  }
  const uint128 wide = static_cast<uint128>(more) << 64 | bits;
  switch (kind) {
    case 6:
      use(static_cast<int128>(wide));
      break;
    case 7:
      use(wide);
      break;
    case 0:
      use(static_cast<std::int8_t>(bits));
      break;
    case 1:
      use(static_cast<std::int16_t>(bits));
      break;
    case 2:
      use(static_cast<int>(bits));
      break;
    case 3:
      use(static_cast<unsigned>(bits));
      break;
    case 4:
      use(static_cast<long long>(bits));
      break;
    default:
      use(static_cast<unsigned long long>(bits));
      break;
  }
}

}  // namespace fuzz
