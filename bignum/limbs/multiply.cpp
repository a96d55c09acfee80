// The products of limb runs: by columns (Comba), the plain row-by-row
// yardstick, Karatsuba's method, blocks for uneven shapes, and the hand-off
// to the transforms (ntt.cpp) for the largest.
#include "bignum/limbs/limbs.h"

#if UHIGH_PACKED

#include <algorithm>

namespace uhigh_detail::limbs {

void mul_basecase(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  assert(na >= nb && nb >= 1);
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

// r[0 .. 2n) = a * b, both n limbs.
void karatsuba(limb* r, const limb* a, const limb* b, std::size_t n, limb* scratch,
               std::size_t stop_below) {
  if (n < stop_below) {
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
  karatsuba(r, a, b, low, rest, stop_below);
  karatsuba(r + 2 * low, a + low, b + low, high, rest, stop_below);
  karatsuba(middle, sa, sb, low + 1, rest, stop_below);
  sub(middle, middle, 2 * low + 2, r, 2 * low);
  sub(middle, middle, 2 * low + 2, r + 2 * low, 2 * high);
  // a0 b1 + a1 b0 < 2 B^n, so it has at most n + 1 significant limbs, all
  // of which r has room for above position low (2n - low = n + high).
  const std::size_t significant = std::min(2 * low + 2, 2 * n - low);
  add(r + low, r + low, 2 * n - low, middle, significant);
}

}  // namespace

void mul_karatsuba(limb* r, const limb* a, const limb* b, std::size_t n, limb* scratch,
                   std::size_t stop_below) {
  // Below 2 limbs the halves would not shrink.
  assert(stop_below >= 2 && n >= 1);
  karatsuba(r, a, b, n, scratch, stop_below);
}

std::size_t karatsuba_scratch(std::size_t n, std::size_t stop_below) {
  std::size_t total = 0;
  while (n >= stop_below) {
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
  assert(na >= 1 && nb >= 1);
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
    karatsuba(r, a, b, na, scratch, karatsuba_threshold);
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
      karatsuba(block, a + at, b, nb, rest, karatsuba_threshold);
    } else {
      mul(block, b, nb, a + at, size, rest);
    }
    add(r + at, r + at, na + nb - at, block, size + nb);
  }
}

}  // namespace uhigh_detail::limbs

#endif  // UHIGH_PACKED
