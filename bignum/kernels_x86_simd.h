// The x86 SIMD kernels, written once over a 64-digit block type V and
// included by one file per instruction set (SSE2, AVX2, AVX-512BW), each
// compiled for its own set. Everything here has internal linkage so that no
// instruction set leaks into code that another CPU runs.
//
// Carry lookahead over 64 lanes at once. After the lane-wise digit sums s
// are formed (no lane exceeds a byte), lane i passes a carry on when it
// generates one (s >= 10: mask g) or when it propagates the carry it
// receives (s == 9: mask p). g and p are disjoint, so with lanes taken as
// the bits of a 64-bit integer this is exactly binary addition of x = g | p
// and y = g (generate x & y = g, propagate x ^ y = p): the carry into bit i
// of x + y + c is bit i of (x + y + c) ^ x ^ y, and the carry out of the top
// is the integer overflow. One scalar addition thus resolves all 64 decimal
// carries. The same holds for borrows with g = (d < 0) and p = (d == 0).
//
// Each lane then gets its carry (s + 1) and is reduced into 0..9 with an
// unsigned minimum: for t in 0..19, min(t, t - 10) is t - 10 when t >= 10
// and t otherwise, because t - 10 wraps to 246..255 for t < 10. Borrows
// mirror it: min(t, t + 10) for t in -10..9.
#pragma once

#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "bignum/kernels_forms.h"

namespace kernels {
namespace {

constexpr std::size_t block = 64;

// Carry (or borrow) into each lane; c carries in and out of the block.
inline std::uint64_t carries_into(std::uint64_t g, std::uint64_t p, std::uint64_t& c) {
  const std::uint64_t x = g | p;
  std::uint64_t partial;
  std::uint64_t total;
  const bool high = __builtin_add_overflow(x, g, &partial);
  const bool higher = __builtin_add_overflow(partial, c, &total);
  c = high || higher;
  return total ^ x ^ g;
}

template <class V>
typename V::reg settle_sum(typename V::reg s, std::uint64_t& c) {
  const std::uint64_t incoming = carries_into(V::above_nine(s), V::equal(s, 9), c);
  const auto t = V::sub(s, V::expand(incoming));  // expand gives -1 per lane
  return V::min_u8(t, V::sub(t, V::set1(10)));
}

template <class V>
typename V::reg settle_difference(typename V::reg d, std::uint64_t& c) {
  const std::uint64_t incoming = carries_into(V::negative(d), V::equal(d, 0), c);
  const auto t = V::add(d, V::expand(incoming));
  return V::min_u8(t, V::add(t, V::set1(10)));
}

template <class V>
struct simd {
  static digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit carry) {
    std::uint64_t c = static_cast<std::uint64_t>(carry);
    std::size_t i = 0;
    for (; i + block <= n; i += block) {
      V::store(r + i, settle_sum<V>(V::add(V::load(a + i), V::load(b + i)), c));
    }
    return word_form::add(r + i, a + i, b + i, n - i, static_cast<digit>(c));
  }

  static digit add_carry(digit* r, const digit* a, std::size_t n, digit carry) {
    std::uint64_t c = static_cast<std::uint64_t>(carry);
    std::size_t i = 0;
    for (; i + block <= n; i += block)
      V::store(r + i, settle_sum<V>(V::load(a + i), c));
    return word_form::add_carry(r + i, a + i, n - i, static_cast<digit>(c));
  }

  static digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow) {
    std::uint64_t c = static_cast<std::uint64_t>(borrow);
    std::size_t i = 0;
    for (; i + block <= n; i += block) {
      V::store(r + i, settle_difference<V>(V::sub(V::load(a + i), V::load(b + i)), c));
    }
    return word_form::sub(r + i, a + i, b + i, n - i, static_cast<digit>(c));
  }

  static digit sub_borrow(digit* r, const digit* a, std::size_t n, digit borrow) {
    std::uint64_t c = static_cast<std::uint64_t>(borrow);
    std::size_t i = 0;
    for (; i + block <= n; i += block)
      V::store(r + i, settle_difference<V>(V::load(a + i), c));
    return word_form::sub_borrow(r + i, a + i, n - i, static_cast<digit>(c));
  }

  // As in the word form: a * m is 10 * high + low per lane, lane i sums
  // low[i] + high[i-1] (at most 17) and the sums settle like an addition.
  // high[i-1] comes from the previous block's register, not from memory,
  // so working in place is safe.
  static digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit carry) {
    if (n < block) return word_form::mul_digit(r, a, n, m, carry);
    const typename V::products split(m);
    alignas(64) digit incoming[block] = {};
    incoming[block - 1] = carry;  // the carry enters as the high digit below lane 0
    typename V::reg high_below = V::load(incoming);
    std::uint64_t c = 0;
    digit top = 0;
    std::size_t i = 0;
    for (; i + block <= n; i += block) {
      typename V::reg low;
      typename V::reg high;
      split.of(V::load(a + i), low, high);
      const auto sum = V::add(low, V::shift_in(high, high_below));
      high_below = high;
      top = a[i + block - 1];  // read before the store may overwrite it
      V::store(r + i, settle_sum<V>(sum, c));
    }
    const auto top_high = static_cast<digit>(m * top / 10);
    return word_form::mul_digit(r + i, a + i, n - i, m, static_cast<digit>(top_high + c));
  }

  static constexpr table form(std::string_view name) {
    return {name, add, add_carry, sub, sub_borrow, mul_digit};
  }
};

// The low and high digit of m * x for every digit x, as 16-byte tables for
// the byte shuffles.
struct product_tables {
  alignas(16) digit low[16] = {};
  alignas(16) digit high[16] = {};
  explicit product_tables(digit m) {
    for (int x = 0; x < 10; ++x) {
      low[x] = static_cast<digit>(m * x % 10);
      high[x] = static_cast<digit>(m * x / 10);
    }
  }
};

}  // namespace
}  // namespace kernels
