// In-place multiplication of uhigh values: by one small factor, and by
// another uhigh through long multiplication.
#include "bignum/kernels/table.h"
#include "bignum/uhigh.h"
#include "bignum/split_decimal.h"

using uhigh_detail::decimal_low;
using uhigh_detail::split_decimal;

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
  const std::int8_t carry = uhigh_kernels::active().mul_digit(digits, digits, length, multiplier, 0);
  if (carry != 0) {
    digits[length] = decimal_low(split_decimal(carry));
    ++length;
  }
}

void uhigh::operator*=(const uhigh& other) {
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
