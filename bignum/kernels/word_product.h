// The product of a digit run by one 64-bit word, as a pass over groups of D
// digits: the word form's pass (D = 8), and the split of k into pieces that
// the SIMD forms share (D = 4). Internal linkage, like simd.h: each
// including file compiles its own copy for its own instruction set.
//
// k is split into P pieces of base 10^D, least significant first. The
// product's column for group h is the sum of w[h - j] * piece[j] over the
// pieces, plus the carry from the column below. No step overflows 64 bits:
// with D = 8, P = 3 the top piece is below 1845 (k < 2^64 < 1845 * 10^16),
// so a column is below (10^8 - 1)(2 * 10^8 + 1845) plus a carry below
// 2.1 * 10^8, about 2^54.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bignum/digit_groups.h"
#include "bignum/kernels/table.h"

namespace uhigh_detail::kernels {
namespace {

constexpr std::uint64_t power_of_ten(unsigned e) {
  std::uint64_t p = 1;
  for (unsigned i = 0; i < e; ++i)
    p *= 10;
  return p;
}

template <unsigned D, unsigned P>
struct word_product {
  static constexpr std::uint64_t base = power_of_ten(D);
  // P pieces hold every 64-bit k: base^P > 2^64 - 1.
  static_assert(D * P >= 20, "too few pieces for a 64-bit word");

  std::uint64_t piece[P];

  explicit word_product(std::uint64_t k) {
    for (std::uint64_t& p : piece) {
      p = k % base;
      k /= base;
    }
  }

  // The last P - 1 groups read, newest first (so a pass in place may
  // overwrite them), and the carry into the next column.
  struct state {
    std::uint64_t below[P - 1] = {};
    std::uint64_t carry = 0;
  };

  static std::uint64_t read(const digit* a, std::size_t count) {
    if constexpr (D == 8) {
      if (count == 8) return uhigh_detail::pack8(a);
    }
    std::uint64_t v = 0;
    for (std::size_t i = count; i-- > 0;)
      v = v * 10 + static_cast<std::uint64_t>(a[i]);
    return v;
  }

  static void write(digit* r, std::size_t count, std::uint64_t v) {
    if constexpr (D == 8) {
      if (count == 8) return uhigh_detail::unpack8(r, v);
    }
    for (std::size_t i = 0; i < count; ++i, v /= 10)
      r[i] = static_cast<digit>(v % 10);
  }

  // The column of the group v whose lower groups are s.below, carry included.
  std::uint64_t column(std::uint64_t v, const state& s) const {
    std::uint64_t t = v * piece[0] + s.carry;
    for (unsigned j = 1; j < P; ++j)
      t += s.below[j - 1] * piece[j];
    return t;
  }

  // r = a * k mod 10^n; returns floor(a * k / 10^n), which is below k.
  // Each group is read before its place is written, so r may be a.
  std::uint64_t multiply(digit* r, const digit* a, std::size_t n) const {
    state s;
    std::size_t i = 0;
    for (; i + D <= n; i += D) {
      const std::uint64_t v = read(a + i, D);
      const std::uint64_t t = column(v, s);
      s.carry = t / base;
      write(r + i, D, t - s.carry * base);
      for (unsigned j = P - 2; j > 0; --j)
        s.below[j] = s.below[j - 1];
      s.below[0] = v;
    }
    // The last group holds m = n - i digits, 0 <= m < D; the zeros above it
    // make it a group like the others. Of its column, m digits stay and the
    // rest is the bottom of the carry out; each column above adds its
    // products at 10^(D c - m). Every term is part of the result, which is
    // below k, so none overflows.
    const std::size_t m = n - i;
    const std::uint64_t v = read(a + i, m);
    const std::uint64_t t = column(v, s);
    const std::uint64_t ten_m = power_of_ten(static_cast<unsigned>(m));
    write(r + i, m, t % ten_m);
    std::uint64_t high = t / ten_m;
    std::uint64_t window[P] = {v};
    for (unsigned j = 1; j < P; ++j)
      window[j] = s.below[j - 1];
    std::uint64_t scale = base / ten_m;
    for (unsigned c = 1; c < P; ++c) {
      std::uint64_t above = 0;
      for (unsigned j = c; j < P; ++j)
        above += window[j - c] * piece[j];
      high += above * scale;
      if (c + 1 < P) scale *= base;
    }
    return high;
  }
};

}  // namespace
}  // namespace uhigh_detail::kernels
