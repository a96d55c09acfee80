// The SIMD kernels, written once over a 64-digit block type V and included
// by one file per instruction set (sse2.cpp, avx2.cpp, avx512.cpp on x86-64,
// neon.cpp on AArch64), each compiled for its own set. V supplies the
// registers and the handful of operations below; this file knows no
// instruction set. Everything here has internal linkage so that no
// instruction set leaks into code that another CPU runs. The lanes are
// little-endian: digit 0 of a lane is its least significant byte.
//
// A block is eight 64-bit lanes of eight digits. Within a lane, carries
// move exactly as in the word form (word.cpp): the lane-wide
// addition of a bias of 246 per byte, or the lane-wide subtraction, turns
// the binary carries between bytes into the decimal ones. Between lanes:
//  - addition: a lane passes a carry out when its top byte overflowed,
//    which leaves that byte 0..9 with its top bit clear (a byte that did not
//    overflow holds 246..255), so "generates" is the lane's sign bit clear;
//    a lane that is all ones (every byte 9 + 246) passes on the carry it
//    receives, as + 1 makes it wrap to all zeros;
//  - subtraction: a lane borrows out when its top byte went negative, which
//    leaves 246..255 (sign bit set); a lane that is all zeros passes on the
//    borrow it receives.
// Generate g and propagate p are disjoint, so with the eight lanes taken as
// bits this is binary addition of x = g | p and y = g: the carry into bit i
// of x + y + c is bit i of (x + y + c) ^ x ^ y, and bit 8 is the carry out
// of the block. One small scalar addition resolves all eight lanes; each lane
// then takes its incoming carry as + 1 (or borrow as - 1), which ripples
// through its bytes by the same lane-wide arithmetic.
//
// Last, every byte is either a finished digit 0..9 or a digit plus 246
// (246..255), and min(t, t + 10) with bytes wrapping picks the digit in both
// cases: t + 10 is 10..19 > t for a digit and wraps to 0..9 for a biased one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "bignum/kernels/forms.h"

namespace uhigh_detail::kernels {
namespace {

constexpr std::size_t block = 64;

// Carry (or borrow) into each of the eight lanes of a block; c is the
// carry into and out of it. g and p must be disjoint, which makes x ^ g
// just p.
inline unsigned carries_into(unsigned g, unsigned p, unsigned& c) {
  const unsigned total = (g | p) + g + c;
  c = total >> 8;
  return (total ^ p) & 0xFFu;
}

template <class V>
struct simd {
  using reg = typename V::reg;

  // Digit sums s (bytes at most 18) plus the incoming carry c: digits, by
  // the lane lookahead above. Exact for every block.
  static reg settle_sum(reg s, unsigned& c) {
    const reg x = V::add64(s, V::set1(246));
    const unsigned incoming = carries_into(~V::signs(x) & 0xFFu, V::all_ones(x), c);
    const reg t = V::increment(x, incoming);
    return V::min_u8(t, V::add(t, V::set1(10)));
  }

  // Lane-wide differences d (each lane already a - b, its borrows inside)
  // less the incoming borrow c: digits.
  static reg settle_difference(reg d, unsigned& c) {
    const unsigned incoming = carries_into(V::signs(d), V::all_zeros(d), c);
    const reg t = V::decrement(d, incoming);
    return V::min_u8(t, V::add(t, V::set1(10)));
  }

  // Settles the sums that sum_at(i) forms for each whole block from 0 and
  // stores them to r, with c the carry in and out; returns where the whole
  // blocks end. sum_at is called in increasing position, and each block is
  // formed before it is stored, so r may be an input.
  //
  // The fast path never moves a lane mask out of the vector registers. A
  // lane's carry out depends on its carry in only when the lane propagates,
  // that is when all its eight sums are 9 (s + bias all ones), which real
  // operands almost never have. So every lane is first given the carry
  // (x = s + bias + 1, which changes no lane's sign unless it propagates),
  // the sign bit of each lane says whether it passes no carry (-1) or one
  // (0), and that verdict moved up one lane, added to x, takes the assumed
  // carry back where none comes. A pair of blocks with a propagating lane
  // (x == 0 there) is settled by the exact lookahead instead. Callers whose
  // sums cannot be 9 pass Checked = false and skip the test.
  template <bool Checked, class SumAt>
  static std::size_t settle_sums(digit* r, std::size_t n, unsigned& c, SumAt sum_at) {
    const reg bias_and_carry = V::add64(V::set1(246), V::set1_64(1));
    reg no_carry_below = V::set1_64(c != 0 ? 0 : -1);  // only its top lane is read
    // Two blocks per round: the second's verdict comes from the first
    // without waiting on the previous round.
    std::size_t i = 0;
    for (; i + 2 * block <= n; i += 2 * block) {
      const reg s0 = sum_at(i);
      const reg s1 = sum_at(i + block);
      const reg x0 = V::add64(s0, bias_and_carry);
      const reg x1 = V::add64(s1, bias_and_carry);
      if (Checked && V::any_zero_lane(x0, x1)) [[unlikely]] {
        unsigned exact = top_lane_passes(no_carry_below);
        V::store(r + i, settle_sum(s0, exact));
        V::store(r + i + block, settle_sum(s1, exact));
        no_carry_below = V::set1_64(exact != 0 ? 0 : -1);
        continue;
      }
      const reg no_carry0 = V::sign_lanes(x0);
      const reg no_carry1 = V::sign_lanes(x1);
      const reg t0 = V::add64(x0, V::lanes_up(no_carry0, no_carry_below));
      const reg t1 = V::add64(x1, V::lanes_up(no_carry1, no_carry0));
      no_carry_below = no_carry1;
      V::store(r + i, V::min_u8(t0, V::add(t0, V::set1(10))));
      V::store(r + i + block, V::min_u8(t1, V::add(t1, V::set1(10))));
    }
    unsigned exact = top_lane_passes(no_carry_below);
    if (i + block <= n) {
      V::store(r + i, settle_sum(sum_at(i), exact));
      i += block;
    }
    c = exact;
    return i;
  }

  // 1 when the top lane of a no-carry verdict passes a carry on.
  static unsigned top_lane_passes(reg no_carry) {
    alignas(64) std::int64_t lanes[block / 8];
    V::store(reinterpret_cast<digit*>(lanes), no_carry);
    return lanes[block / 8 - 1] == 0 ? 1 : 0;
  }

  // The last partial block of a sum goes through zero-padded copies on the
  // stack: one block of vector work instead of the word form's words and
  // single digits. The zeros past the end absorb the carry, so the settled
  // copy holds the carry out at position count: for a product the sum there
  // is the top digit's high part plus at most 1, which is at most 9.
  struct padded {
    alignas(64) digit bytes[block] = {};
    padded(const digit* from, std::size_t count, std::size_t at = 0) {
      std::memcpy(bytes + at, from, count);
    }
    reg load() const { return V::load(bytes); }
  };

  // The last count (< 64) digits at p as a block, zeros past them: by a
  // masked load where the set has one, else through a padded copy.
  static reg load_tail(const digit* p, std::size_t count) {
    if constexpr (requires { V::load_partial(p, count); }) {
      return V::load_partial(p, count);
    } else {
      return padded(p, count).load();
    }
  }

  static digit finish_sum(digit* r, std::size_t count, reg s, unsigned c) {
    alignas(64) digit out[block];
    const reg settled = settle_sum(s, c);
    V::store(out, settled);
    if constexpr (requires { V::store_partial(r, settled, count); }) {
      V::store_partial(r, settled, count);
    } else {
      std::memcpy(r, out, count);
    }
    return out[count];
  }

  template <class DifferenceAt>
  static std::size_t settle_differences(digit* r, std::size_t n, unsigned& c,
                                        DifferenceAt difference_at) {
    std::size_t i = 0;
    for (; i + block <= n; i += block)
      V::store(r + i, settle_difference(difference_at(i), c));
    return i;
  }

  static digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit carry) {
    expect_run(r, a, n);
    expect_run(r, b, n);
    expect_digit(carry, 1);
    unsigned c = static_cast<unsigned>(carry);
    std::size_t i;
    if (a == b) {
      // x + x: every digit sum is even, never 9, so no lane can propagate.
      i = settle_sums<false>(r, n, c, [&](std::size_t j) {
        const reg v = V::load(a + j);
        return V::add(v, v);
      });
    } else {
      i = settle_sums<true>(r, n, c,
                            [&](std::size_t j) { return V::add(V::load(a + j), V::load(b + j)); });
    }
    if (i == n) return static_cast<digit>(c);
    const reg x = load_tail(a + i, n - i);
    const reg y = a == b ? x : load_tail(b + i, n - i);
    return finish_sum(r + i, n - i, V::add(x, y), c);
  }

  static digit add_carry(digit* r, const digit* a, std::size_t n, digit carry) {
    expect_run(r, a, n);
    expect_digit(carry, 1);
    if (n == 0) return carry;  // as after every addition of equal lengths
    unsigned c = static_cast<unsigned>(carry);
    const std::size_t i = settle_sums<true>(r, n, c, [&](std::size_t j) { return V::load(a + j); });
    if (i == n) return static_cast<digit>(c);
    return finish_sum(r + i, n - i, load_tail(a + i, n - i), c);
  }

  static digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow) {
    expect_run(r, a, n);
    expect_run(r, b, n);
    expect_digit(borrow, 1);
    unsigned c = static_cast<unsigned>(borrow);
    const std::size_t i = settle_differences(
        r, n, c, [&](std::size_t j) { return V::sub64(V::load(a + j), V::load(b + j)); });
    return word_form::sub(r + i, a + i, b + i, n - i, static_cast<digit>(c));
  }

  static digit sub_borrow(digit* r, const digit* a, std::size_t n, digit borrow) {
    expect_run(r, a, n);
    expect_digit(borrow, 1);
    unsigned c = static_cast<unsigned>(borrow);
    const std::size_t i =
        settle_differences(r, n, c, [&](std::size_t j) { return V::load(a + j); });
    return word_form::sub_borrow(r + i, a + i, n - i, static_cast<digit>(c));
  }

  // As in the word form: a * m is 10 * high + low per position, position i
  // sums low[i] + high[i-1] (at most 17) and the sums settle like an
  // addition. high[i-1] is looked up on the digits reloaded one position
  // down, which costs one load instead of a shift across registers. Each
  // block's reload is made while the block below it is formed, before any
  // store that it overlaps: that keeps it reading original digits when
  // working in place, and keeps it from waiting on a just-stored byte.
  // Below position 0 there is no digit: the first block reloads a zero there
  // and takes the incoming carry (at most 8) into its position 0 sum
  // instead, which keeps that sum at most 9 + 8.
  static digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit carry) {
    expect_run(r, a, n);
    expect_digit(m, 9);
    expect_digit(carry, 8);
    if (n < block) return word_form::mul_digit(r, a, n, m, carry);
    const typename V::products split(m);
    alignas(64) digit first[block] = {};
    std::memcpy(first + 1, a, block - 1);
    alignas(64) digit incoming[block] = {};
    incoming[0] = carry;
    const reg carry_in = V::load(incoming);
    reg down = V::load(first);
    // The digit just below the tail, read before any store can overwrite it.
    const digit below = a[n / block * block - 1];
    unsigned c = 0;
    const std::size_t i = settle_sums<true>(r, n, c, [&](std::size_t j) {
      reg sum = V::add(split.low(V::load(a + j)), split.high(down));
      if (j == 0) sum = V::add(sum, carry_in);
      if (j + 2 * block <= n) down = V::load(a + j + block - 1);
      return sum;
    });
    const std::size_t count = n - i;
    if (count == 0) return static_cast<digit>(static_cast<unsigned>(m * below / 10) + c);
    padded tail_down(a + i, count, 1);  // one place down
    tail_down.bytes[0] = below;
    const reg sum = V::add(split.low(padded(a + i, count).load()), split.high(tail_down.load()));
    return finish_sum(r + i, count, sum, c);
  }

  static constexpr table form(std::string_view name) {
    return {.name = name,
            .add = add,
            .add_carry = add_carry,
            .sub = sub,
            .sub_borrow = sub_borrow,
            .mul_digit = mul_digit,
            .mul_word = word_form::mul_word};
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
}  // namespace uhigh_detail::kernels
