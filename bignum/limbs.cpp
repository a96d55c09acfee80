// Packed-word kernels: conversion between digits and limbs of 10^19, and
// the multiplications on limbs.
#include "bignum/limbs.h"

#include "bignum/digit_groups.h"

#if UHIGH_PACKED

#include <algorithm>
#include <bit>
#include <cstring>

namespace uhigh_detail::limbs {
namespace {

using uhigh_detail::pack8;
using uhigh_detail::unpack8;

constexpr limb ten8 = 100'000'000;
constexpr limb ten16 = ten8 * ten8;

limb pack_slow(const std::int8_t* d, std::size_t n) {
  limb v = 0;
  for (std::size_t i = n; i-- > 0;)
    v = v * 10 + static_cast<limb>(d[i]);
  return v;
}

void unpack_slow(std::int8_t* d, std::size_t n, limb v) {
  for (std::size_t i = 0; i < n; ++i, v /= 10)
    d[i] = static_cast<std::int8_t>(v % 10);
}

}  // namespace

void pack(limb* w, const std::int8_t* d, std::size_t n) {
  std::size_t i = 0;
  for (; i + digits_per_limb <= n; i += digits_per_limb) {
    *w++ = pack8(d + i) + pack8(d + i + 8) * ten8 + pack_slow(d + i + 16, 3) * ten16;
  }
  if (i < n) *w = pack_slow(d + i, n - i);
}

void unpack(std::int8_t* d, std::size_t n, const limb* w) {
  std::size_t i = 0;
  for (; i + digits_per_limb <= n; i += digits_per_limb) {
    const limb v = *w++;
    const limb low16 = v % ten16;
    unpack8(d + i, low16 % ten8);
    unpack8(d + i + 8, low16 / ten8);
    unpack_slow(d + i + 16, 3, v / ten16);
  }
  if (i < n) unpack_slow(d + i, n - i, *w);
}

limb mul_1(limb* r, const limb* a, std::size_t n, limb k) {
  // a[i] * k = high * B + low with high < k. The row's sum is low[i] +
  // high[i-1] + bit, below 2B, so the only carry from one position to the
  // next is that bit, and every split can proceed without waiting for it.
  // A k of B or more would break that bound: such a k is split into two
  // limbs by the caller.
  limb high_before = 0, bit = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const wide p = wide{a[i]} * k;
    limb low;
    const limb high = divide(static_cast<limb>(p >> 64), static_cast<limb>(p), low);
    const limb up = high_before + bit;  // <= k <= B
    const limb room = base - low;       // >= 1
    if (up >= room) {
      r[i] = up - room;
      bit = 1;
    } else {
      r[i] = low + up;
      bit = 0;
    }
    high_before = high;
  }
  return high_before + bit;
}

limb add(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  limb carry = 0;
  std::size_t i = 0;
  for (; i < nb; ++i) {
    // Two limbs add up to as much as 2B - 1, past 2^64: when the sum wraps,
    // s - B in 64-bit arithmetic is still the right limb.
    const limb t = b[i] + carry;  // <= B
    const limb s = a[i] + t;
    carry = (s < t) | (s >= base);
    r[i] = s - (-carry & base);
  }
  for (; i < na; ++i) {
    const limb s = a[i] + carry;
    carry = s >= base;
    r[i] = carry ? s - base : s;
  }
  return carry;
}

limb sub(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  limb borrow = 0;
  std::size_t i = 0;
  for (; i < nb; ++i) {
    const limb take = b[i] + borrow;  // <= B
    borrow = a[i] < take;
    r[i] = a[i] - take + (-borrow & base);  // no branch: a borrow is a coin toss
  }
  for (; i < na; ++i) {
    if (borrow != 0 && a[i] == 0) {
      r[i] = base - 1;  // the borrow runs on
    } else {
      r[i] = a[i] - borrow;
      borrow = 0;
    }
  }
  return borrow;
}

void mul_basecase(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  // Column k sums a[i] b[k-i] (each below 10^38 < 2^127) into three words,
  // with the carry of the column below; the top word stays tiny (a column
  // of n products is below n * 2^127), so the two-step division by B that
  // follows meets its precondition (high word < B).
  limb carry_low = 0, carry_high = 0;
  for (std::size_t k = 0; k + 1 < na + nb; ++k) {
    wide sum = (wide{carry_high} << 64) | carry_low;
    limb top = 0;
    const std::size_t first = k >= nb ? k - nb + 1 : 0;
    const std::size_t last = std::min(k, na - 1);
    for (std::size_t i = first; i <= last; ++i) {
      const wide p = wide{a[i]} * b[k - i];
      sum += p;
      top += sum < p;
    }
    limb middle_rest, low_rest;
    carry_high = divide(top, static_cast<limb>(sum >> 64), middle_rest);
    carry_low = divide(middle_rest, static_cast<limb>(sum), low_rest);
    r[k] = low_rest;
  }
  r[na + nb - 1] = carry_low;  // the product has na + nb limbs, so this fits
}

void mul_reference(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  std::fill(r, r + na + nb, 0);
  for (std::size_t j = 0; j < nb; ++j) {
    wide carry = 0;
    for (std::size_t i = 0; i < na; ++i) {
      const wide t = wide{a[i]} * b[j] + r[i + j] + carry;
      r[i + j] = static_cast<limb>(t % base);
      carry = t / base;
    }
    r[na + j] = static_cast<limb>(carry);
  }
}

namespace {

// Below this many limbs Karatsuba's recursion stops at schoolbook. Measured
// with bench/multiply_thresholds on this machine (AMD EPYC, g++ 12 -O3),
// n x n limbs, microseconds, stopping at 24 / 32 / 48 / 64 / 96 limbs, or
// never recursing:
//   96:  6.9  5.5  5.5  5.1  5.1 |  6.0
//  256: 35.2 33.1 28.2 28.1 28.6 | 40.6
// 1000:  600  556  427  367  333 |  560
// 64 is best or within 5 % of it everywhere; Karatsuba first beats
// schoolbook at about 96 limbs (1824 digits). Variable only so that the
// benchmark can measure other values.
std::size_t karatsuba_threshold = 64;

// From this many limbs of the shorter operand on, the transforms win: with
// the threshold above, 800 x 800 limbs took 213 us by Karatsuba and 270 us
// by transforms, 1000 x 1000 367 us against 271 us (both transform sizes
// are 2048 points).
constexpr std::size_t ntt_threshold = 900;

// r[0 .. 2n) = a * b, both n limbs.
void karatsuba(limb* r, const limb* a, const limb* b, std::size_t n, limb* scratch) {
  if (n < karatsuba_threshold) {
    mul_basecase(r, a, n, b, n);
    return;
  }
  // a = a1 B^l + a0: (a0 + a1)(b0 + b1) - a0 b0 - a1 b1 = a0 b1 + a1 b0.
  const std::size_t low = (n + 1) / 2, high = n - low;
  limb* sa = scratch;
  limb* sb = sa + low + 1;
  limb* middle = sb + low + 1;  // 2 low + 2 limbs
  limb* rest = middle + 2 * low + 2;
  sa[low] = add(sa, a, low, a + low, high);
  sb[low] = add(sb, b, low, b + low, high);
  karatsuba(r, a, b, low, rest);
  karatsuba(r + 2 * low, a + low, b + low, high, rest);
  karatsuba(middle, sa, sb, low + 1, rest);
  sub(middle, middle, 2 * low + 2, r, 2 * low);
  sub(middle, middle, 2 * low + 2, r + 2 * low, 2 * high);
  // a0 b1 + a1 b0 < 2 B^n, so it has at most n + 1 significant limbs, all
  // of which r has room for above position low (2n - low = n + high).
  const std::size_t significant = std::min(2 * low + 2, 2 * n - low);
  add(r + low, r + low, 2 * n - low, middle, significant);
}

}  // namespace

void mul_karatsuba(limb* r, const limb* a, const limb* b, std::size_t n, limb* scratch) {
  karatsuba(r, a, b, n, scratch);
}

void set_karatsuba_threshold_for_measuring(std::size_t limbs) { karatsuba_threshold = limbs; }

std::size_t karatsuba_scratch(std::size_t n) {
  std::size_t total = 0;
  while (n >= karatsuba_threshold) {
    const std::size_t low = (n + 1) / 2;
    total += 4 * low + 4;
    n = low + 1;
  }
  return total;
}

std::size_t scratch_for(std::size_t na, std::size_t nb) {
  const std::size_t shorter = std::min(na, nb);
  // A block product of 2 * shorter limbs at each level of the uneven
  // recursion, whose block sizes at least halve every second level (as in
  // Euclid's algorithm), so 8 * shorter in all; and the balanced
  // recursion's own.
  return 10 * shorter + karatsuba_scratch(shorter) + 64;
}

void mul(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb, limb* scratch) {
  if (na < nb) {
    std::swap(a, b);
    std::swap(na, nb);
  }
  if (nb < karatsuba_threshold) {
    mul_basecase(r, a, na, b, nb);
    return;
  }
  if (nb >= ntt_threshold) {
    mul_ntt(r, a, na, b, nb);
    return;
  }
  if (na == nb) {
    karatsuba(r, a, b, na, scratch);
    return;
  }
  // Uneven: a in blocks of nb limbs, each block times b balanced, added in
  // at its place; a last short block swaps roles.
  std::fill(r, r + na + nb, 0);
  limb* block = scratch;
  limb* rest = scratch + 2 * nb;
  for (std::size_t at = 0; at < na; at += nb) {
    const std::size_t size = std::min(nb, na - at);
    if (size == nb) {
      karatsuba(block, a + at, b, nb, rest);
    } else {
      mul(block, b, nb, a + at, size, rest);
    }
    add(r + at, r + at, na + nb - at, block, size + nb);
  }
}

}  // namespace uhigh_detail::limbs

#endif  // UHIGH_PACKED
