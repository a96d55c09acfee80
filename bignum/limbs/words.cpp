// The one-pass limb operations: conversion between digits and limbs of
// 10^19, the product by one limb, addition and subtraction.
#include "bignum/limbs/limbs.h"

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
  assert(n >= 1 && k < base);
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
  assert(na >= nb);
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
  assert(na >= nb);
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

}  // namespace uhigh_detail::limbs

#endif  // UHIGH_PACKED
