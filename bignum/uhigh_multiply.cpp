// In-place multiplication of uhigh values: by one small factor, by another
// uhigh through long multiplication (the benchmark's own path, for
// multipliers of up to ten digits), by a built-in integer in one pass of the
// digit kernels' word product, and through packed limbs for everything else.
#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>

#include "bignum/kernels/table.h"
#include "bignum/limbs/limbs.h"
#include "bignum/split_decimal.h"
#include "bignum/storage.h"
#include "bignum/uhigh.h"

using uhigh_detail::decimal_low;
using uhigh_detail::split_decimal;
#if UHIGH_PACKED
namespace limbs = uhigh_detail::limbs;
#endif

void uhigh::operator*=(std::uint8_t factor) {
  const bool zero_result = factor == 0 || is_zero();
  multiply_small(factor);
  // The digit pass and the shift leave a zero as a run of zero digits.
  if (zero_result) length = 1;
}

void uhigh::multiply_small(std::uint8_t factor) {
  if (factor == 10) {
    shift_up(1);
    return;
  }
  if (factor > 10) {
    const uhigh multiplier(static_cast<int>(factor));
    *this *= multiplier;
    return;
  }
  // Reserved for every factor, 0 and 1 included, before any digit changes.
  reserve_wide(std::uint64_t{length} + 1);
  const auto multiplier = decimal_low(split_decimal(static_cast<std::int8_t>(factor)));
  const std::int8_t carry =
      uhigh_detail::kernels::active().mul_digit(digits, digits, length, multiplier, 0);
  if (carry != 0) {
    digits[length] = decimal_low(split_decimal(carry));
    ++length;
  }
}

void uhigh::operator*=(const uhigh& other) {
#if UHIGH_PACKED
  if (other.length > long_multiplication_most) {
    if (is_zero()) return;  // zero, a moved-from value included, stays zero
    assign_product(digits, length, other.digits, other.length);
    return;
  }
#endif
  const bool zero_result = is_zero() || other.is_zero();
  uhigh accumulator(0);
  // other is read afresh each round and this object is untouched until the
  // final assignment, so other may be this object.
  for (std::uint32_t i = 0; i < other.length; ++i) {
    uhigh partial(*this);
    // A zero digit still makes a partial product of full length, shifted
    // and added: the work of long multiplication does not depend on digits.
    partial.multiply_small(static_cast<std::uint8_t>(other.digits[i]));
    if (i > 0) partial.shift_up(i);
    accumulator += partial;
  }
  *this = accumulator;  // a copy, as the benchmark measures it
  // The partial products of a zero operand add up to a run of zero digits.
  if (zero_result) length = 1;
}

namespace {

// Refuses, before any digit is read, a product whose longest possible length
// (the operands' lengths added) passes the limit: as addition reserves the
// longer length plus one whether or not a carry comes.
void check_room(std::uint64_t length, std::uint64_t other_length) {
  if (length + other_length > uhigh::max_digits) {
    throw std::length_error("uhigh: more than 4294967295 digits");
  }
}

std::uint64_t decimal_digits(unsigned long long v) {
  std::uint64_t count = 1;
  for (; v >= 10; v /= 10)
    ++count;
  return count;
}

}  // namespace

void uhigh::become_zero() {
  // A fresh one-digit array rather than a pass that clears the old one: a
  // zero product costs O(1) whatever the operands' lengths.
  std::int8_t* fresh = uhigh_detail::storage::allocate(min_growth);
  uhigh_detail::storage::zero(fresh, min_growth);
  uhigh_detail::storage::release(digits);
  digits = fresh;
  capacity = min_growth;
  length = 1;
}

#if UHIGH_PACKED
void uhigh::take_limbs(const limbs::limb* product, std::size_t count) {
  while (count > 1 && product[count - 1] == 0)
    --count;
  // Digits of the top limb, then 19 for each below it.
  std::uint64_t top_digits = 1;
  for (limbs::limb v = product[count - 1]; v >= 10; v /= 10)
    ++top_digits;
  const std::uint64_t total = (count - 1) * std::uint64_t{limbs::digits_per_limb} + top_digits;
  if (total > max_digits) throw std::length_error("uhigh: more than 4294967295 digits");
  if (total <= capacity) {
    // In place: every digit up to the new length is written, and the spare
    // room above it was zero already, the old value being no longer.
    limbs::unpack(digits, total, product);
    length = static_cast<std::uint32_t>(total);
    return;
  }
  const auto grown = static_cast<std::uint32_t>(std::min<std::uint64_t>(
      std::max<std::uint64_t>(total, std::uint64_t{capacity} + min_growth), max_digits));
  const auto new_length = static_cast<std::uint32_t>(total);  // checked against max_digits above
  std::int8_t* fresh = uhigh_detail::storage::allocate(grown);
  limbs::unpack(fresh, new_length, product);
  uhigh_detail::storage::zero(fresh + new_length, grown - new_length);
  uhigh_detail::storage::release(digits);
  digits = fresh;
  capacity = grown;
  length = new_length;
}

void uhigh::assign_product(const std::int8_t* a_digits, std::uint32_t a_length,
                           const std::int8_t* b_digits, std::uint32_t b_length) {
  const auto zero = [](const std::int8_t* d, std::uint32_t n) {
    return n <= 1 && (n == 0 || d[0] == 0);
  };
  if (zero(a_digits, a_length) || zero(b_digits, b_length)) {
    become_zero();
    return;
  }
  check_room(a_length, b_length);
  // Both operands and the product as limbs, and the scratch, in one
  // allocation: O(n + m) extra memory. Nothing of this object changes
  // until the product is complete.
  const std::size_t na = limbs::limbs_for(a_length), nb = limbs::limbs_for(b_length);
  const bool square = a_digits == b_digits;
  const std::size_t work = na + (square ? 0 : nb) + na + nb + limbs::scratch_for(na, nb);
  const std::unique_ptr<limbs::limb[]> space(new limbs::limb[work]);
  limbs::limb* a = space.get();
  limbs::limb* b = square ? a : a + na;
  limbs::limb* product = b + (square ? na : nb);
  limbs::pack(a, a_digits, a_length);
  if (!square) limbs::pack(b, b_digits, b_length);
  limbs::mul(product, a, na, b, nb, product + na + nb);
  take_limbs(product, na + nb);
}

#endif  // UHIGH_PACKED

uhigh uhigh::product(const uhigh& left, const uhigh& right) {
  if (!UHIGH_PACKED || right.length <= long_multiplication_most) {
    uhigh result(left);
    result *= right;
    return result;
  }
  uhigh result(0);
#if UHIGH_PACKED
  result.assign_product(left.digits, left.length, right.digits, right.length);
#endif
  return result;
}

void uhigh::multiply_by(unsigned long long factor) {
  if (is_zero()) return;
  if (factor == 0) {
    become_zero();
    return;
  }
  // The product gains at most the factor's digit count; that room is made
  // before any digit changes, so a refusal or a failed allocation leaves
  // this object as it was.
  const std::uint64_t gained = decimal_digits(factor);
  check_room(length, gained);
  reserve_wide(std::uint64_t{length} + gained);
  // One pass in place; the part above the old length is below the factor.
  std::uint64_t high = uhigh_detail::kernels::active().mul_word(digits, digits, length, factor);
  for (; high != 0; high /= 10)
    digits[length++] = static_cast<std::int8_t>(high % 10);
}

#if defined(__SIZEOF_INT128__)
void uhigh::multiply_by(uhigh_detail::uint128 factor) {
  if (factor <= ~0ull) {
    multiply_by(static_cast<unsigned long long>(factor));
    return;
  }
  if (is_zero()) return;
  // Below 2^128 < 10^57: three limbs at most, one pass of columns.
  limbs::limb split[3];
  std::size_t count = 0;
  for (; factor != 0; factor /= limbs::base)
    split[count++] = static_cast<limbs::limb>(factor % limbs::base);
  check_room(length, 39);  // the digits of 2^128 - 1, a bound for any factor here
  const std::size_t n = limbs::limbs_for(length);
  const std::unique_ptr<limbs::limb[]> space(new limbs::limb[2 * n + 3]);
  limbs::limb* a = space.get();
  limbs::pack(a, digits, length);
  if (n >= count) {
    limbs::mul_basecase(a + n, a, n, split, count);
  } else {
    limbs::mul_basecase(a + n, split, count, a, n);
  }
  take_limbs(a + n, n + count);
}
#endif

uhigh uhigh::power(const uhigh& base, unsigned long long exponent) {
  // Squaring from the top bit of the exponent down: one squaring per bit
  // and a multiplication by base for each one bit. base's value is taken
  // first, so base may be the object that receives the result.
  const uhigh b(base);
  uhigh result(1);
  if (exponent == 0) return result;
  if (b.is_zero() || (b.length == 1 && b.digits[0] == 1)) return b.is_zero() ? uhigh(0) : result;
  // base >= t 10^(length - 1) for its top digit t >= 1, so base^exponent has
  // more than exponent (length - 1 + log10 t) digits: refused before any
  // squaring when that already passes the limit (the bound is rounded down
  // a little, so only a result surely too long is refused).
  const double at_least = static_cast<double>(exponent) *
                          (b.length - 1 + std::log10(static_cast<double>(b.digits[b.length - 1])));
  if (at_least * (1 - 1e-12) > max_digits) {
    throw std::length_error("uhigh: more than 4294967295 digits");
  }
  int bit = 63;
  while ((exponent >> bit & 1) == 0)
    --bit;
  for (; bit >= 0; --bit) {
    result *= result;
    if (exponent >> bit & 1) result *= b;
  }
  return result;
}
