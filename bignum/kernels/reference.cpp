// The reference form: one digit per step, every digit sum split by
// split_decimal into the digit that stays and the carry that moves on. These
// loops are the definition of each kernel's result; keep them plain.
#include "bignum/kernels/table.h"
#include "bignum/split_decimal.h"

namespace uhigh_kernels {
namespace {

using uhigh_detail::decimal_high;
using uhigh_detail::decimal_low;
using uhigh_detail::split_decimal;

digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit carry) {
  for (std::size_t i = 0; i < n; ++i) {
    // At most 9 + 9 + 1 = 19, well inside a signed byte.
    const std::uint16_t split = split_decimal(static_cast<digit>(a[i] + b[i] + carry));
    r[i] = decimal_low(split);
    carry = decimal_high(split);
  }
  return carry;
}

digit add_carry(digit* r, const digit* a, std::size_t n, digit carry) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto sum = static_cast<digit>(a[i] + carry);
    carry = (carry != 0 && sum >= 10) ? 1 : 0;
    r[i] = decimal_low(split_decimal(sum));
  }
  return carry;
}

// One position of a subtraction: a difference of -10..9 becomes the digit
// it leaves, and the borrow is set for the next position.
digit settle_difference(digit difference, digit& borrow) {
  if (difference < 0) {
    borrow = 1;
    return static_cast<digit>(difference + 10);
  }
  const std::uint16_t split = split_decimal(difference);
  borrow = decimal_high(split);
  return decimal_low(split);
}

digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow) {
  for (std::size_t i = 0; i < n; ++i) {
    // Between 0 - 9 - 1 = -10 and 9.
    r[i] = settle_difference(static_cast<digit>(a[i] - (b[i] + borrow)), borrow);
  }
  return borrow;
}

digit sub_borrow(digit* r, const digit* a, std::size_t n, digit borrow) {
  for (std::size_t i = 0; i < n; ++i) {
    r[i] = settle_difference(static_cast<digit>(a[i] - borrow), borrow);
  }
  return borrow;
}

digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit carry) {
  const digit multiplier = decimal_low(split_decimal(m));
  for (std::size_t i = 0; i < n; ++i) {
    // At most 9 * 9 + 8 = 89, so the carry stays 0..8.
    const std::uint16_t split = split_decimal(static_cast<digit>(multiplier * a[i] + carry));
    r[i] = decimal_low(split);
    carry = decimal_high(split);
  }
  return carry;
}

}  // namespace

const table reference = {.name = "reference",
                         .add = add,
                         .add_carry = add_carry,
                         .sub = sub,
                         .sub_borrow = sub_borrow,
                         .mul_digit = mul_digit};

}  // namespace uhigh_kernels
