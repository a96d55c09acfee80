// Packed-word kernels: the digits of a uhigh taken 19 at a time as one limb,
// a 64-bit word holding a value below 10^19 (the largest power of ten that
// fits), least significant limb first. Multiplication away from the
// benchmark's own path works on limbs: one 64 x 64 -> 128-bit product does
// the work of 361 digit products.
//
// Like the digit kernels, these work on raw runs, know nothing of
// allocation, and hand back the carry out of the top. Unless a function
// says otherwise its result must not overlap an input, and every limb
// passed in is below 10^19. A Debug build asserts the preconditions that
// cost O(1) to check.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>

#include "bignum/limbs/thresholds.h"

// The limbs need a 64 x 64 -> 128-bit product, which compilers give through
// unsigned __int128 on 64-bit targets. Where there is none (32-bit ARM),
// uhigh multiplies by long multiplication throughout.
#if defined(__SIZEOF_INT128__)
#define UHIGH_PACKED 1
#else
#define UHIGH_PACKED 0
#endif

#if UHIGH_PACKED
namespace uhigh_detail::limbs {

using limb = std::uint64_t;
__extension__ typedef unsigned __int128 wide;

constexpr unsigned digits_per_limb = 19;
constexpr limb base = 10'000'000'000'000'000'000u;  // 10^19, above 2^63

// Limbs that hold n digits.
constexpr std::size_t limbs_for(std::size_t digits) {
  return (digits + digits_per_limb - 1) / digits_per_limb;
}

// q and r of (high * 2^64 + low) / d, for a divisor d with its top bit set
// and high < d, by the pre-computed inverse inv = floor((2^128 - 1) / d) -
// 2^64 (Moller and Granlund, "Improved division by invariant integers",
// 2011, algorithm 4): two multiplications and two corrections instead of a
// hardware division.
inline limb divide_step(limb high, limb low, limb d, limb inv, limb& remainder) {
  assert(d >> 63 == 1 && high < d);
  const wide estimate = wide{inv} * high + ((wide{high} << 64) | low);
  limb quotient = static_cast<limb>(estimate >> 64) + 1;
  limb r = low - quotient * d;
  // The first correction is taken about half the time, so it is made
  // without a branch; the second is rare.
  const limb over = -static_cast<limb>(r > static_cast<limb>(estimate));
  quotient += over;
  r += over & d;
  if (__builtin_expect(r >= d, 0)) {
    ++quotient;
    r -= d;
  }
  remainder = r;
  return quotient;
}

// q and r of (high * 2^64 + low) / 10^19, for high < 10^19: base has its
// top bit set, so it needs no normalising.
constexpr limb inverse = static_cast<limb>(~wide{0} / base);
inline limb divide(limb high, limb low, limb& remainder) {
  return divide_step(high, low, base, inverse, remainder);
}

// w[0 .. limbs_for(n)) = the n digits d (values 0..9, units first).
void pack(limb* w, const std::int8_t* d, std::size_t n);

// d[0 .. n) = the low n digits of the limbs w[0 .. limbs_for(n)); the
// digits above n must be zero in value. d may not overlap w.
void unpack(std::int8_t* d, std::size_t n, const limb* w);

// r = a * k for k < 10^19, n >= 1; returns the carry limb, at most k. r may
// equal a. One pass, with no carry chain longer than one bit: each product
// is split on its own and the halves added.
limb mul_1(limb* r, const limb* a, std::size_t n, limb k);

// r = a + b, na >= nb; returns the carry (0 or 1). r may equal a or b.
limb add(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb);

// r = a - b, na >= nb, a >= b; returns the borrow (0, or 1 when a < b). r
// may equal a or b.
limb sub(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb);

// r[0 .. na + nb) = a * b, na >= nb >= 1, by columns (Comba): each column's
// products summed in three words, then one division. a may equal b.
void mul_basecase(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb);

// r[0 .. na + nb) = a * b, na, nb >= 1, by the fastest method for the
// shapes; a may equal b (squaring). Needs scratch_for(na, nb) limbs of
// scratch, which it may overwrite.
void mul(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb, limb* scratch);
std::size_t scratch_for(std::size_t na, std::size_t nb);

// r[0 .. na + nb) = a * b by number-theoretic transforms (ntt.cpp),
// for the largest sizes; a may equal b. Allocates its own O(na + nb) work.
void mul_ntt(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb);

// r[0 .. 2n) = a * b, both n limbs, by Karatsuba's method down to
// schoolbook below stop_below limbs (>= 2); scratch of
// karatsuba_scratch(n, stop_below) limbs. mul() calls it where it is
// fastest; the threshold benchmark and the tests call it with other stops.
void mul_karatsuba(limb* r, const limb* a, const limb* b, std::size_t n, limb* scratch,
                   std::size_t stop_below = karatsuba_threshold);
std::size_t karatsuba_scratch(std::size_t n, std::size_t stop_below = karatsuba_threshold);

// q[0 .. n) = a / d, for 1 <= d < B; returns a % d. One pass from the top,
// two multiplications a limb. q may equal a.
limb div_1(limb* q, const limb* a, std::size_t n, limb d);

// q[0 .. na - nb + 1) = a / b and r[0 .. nb) = a % b, for na >= nb >= 1 and
// b[nb - 1] != 0 (divide.cpp). Knuth's algorithm D while the divisor or
// the quotient is below newton_from limbs, O(nq nb); from there on Newton's
// reciprocal and the fast multiplication, a few multiplications' time.
// newton_from = never keeps to algorithm D, the tests' yardstick.
// Allocates its own O(na + nb) work; q and r must not overlap a, b or each
// other.
void divmod(limb* q, limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb,
            std::size_t newton_from = newton_threshold);

// The plain yardstick: row by row, every step divided by the hardware.
void mul_reference(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb);

}  // namespace uhigh_detail::limbs
#endif  // UHIGH_PACKED
