// In-place multiplication of uhigh values: by one small factor, and by
// another uhigh through long multiplication.
#include "bignum/kernels.h"
#include "bignum/uhigh.h"

void uhigh::operator*=(std::uint8_t factor) {
  if (factor == 10) {
    shift_up(1);
    return;
  }
  if (factor > 10) {
    const uhigh multiplier(factor);
    *this *= multiplier;
    return;
  }
  // Reserved for every factor, 0 and 1 included, before any digit changes.
  reserve_wide(std::uint64_t{length} + 1);
  const auto multiplier = decimal_low(split_decimal(static_cast<std::int8_t>(factor)));
  const std::int8_t carry = kernels::active().mul_digit(digits, digits, length, multiplier, 0);
  if (carry != 0) {
    digits[length] = decimal_low(split_decimal(carry));
    ++length;
  }
}

void uhigh::operator*=(const uhigh& other) {
  uhigh accumulator(0);
  // other is read afresh each round and this object is untouched until the
  // final assignment, so other may be this object.
  for (std::uint32_t i = 0; i < other.length; ++i) {
    uhigh partial(*this);
    partial *= static_cast<std::uint8_t>(other.digits[i]);
    if (i > 0) partial.shift_up(i);
    accumulator += partial;
  }
  *this = accumulator;
}
