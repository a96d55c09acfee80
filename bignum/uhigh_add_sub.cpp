// In-place addition and subtraction of uhigh values. The digit work is done
// by the active kernels; this file decides lengths, growth and where the
// carry or borrow goes.
#include <algorithm>
#include <stdexcept>

#include "bignum/kernels/table.h"
#include "bignum/split_decimal.h"
#include "bignum/uhigh.h"

using uhigh_detail::decimal_low;
using uhigh_detail::split_decimal;

void uhigh::operator+=(const uhigh& other) {
  const std::uint32_t own = length;
  const std::uint32_t theirs = other.length;
  const std::uint32_t shorter = std::min(own, theirs);
  const std::uint32_t longer = std::max(own, theirs);
  // Reserved whether or not a carry comes; may move this array, and so
  // other's array when other is this object.
  reserve_wide(std::uint64_t{longer} + 1);
  const std::int8_t* addend = other.digits;

  const uhigh_detail::kernels::table& k = uhigh_detail::kernels::active();
  std::int8_t carry = k.add(digits, digits, addend, shorter, 0);
  // The positions only the longer operand has: when that is other, its
  // digits are written into this array, which the reserve made large enough.
  const std::int8_t* rest = own >= theirs ? digits : addend;
  carry = k.add_carry(digits + shorter, rest + shorter, longer - shorter, carry);
  if (carry != 0) {
    digits[longer] = decimal_low(split_decimal(carry));
    length = longer + 1;
  } else {
    // Two moved-from values (length 0) add up to zero, which is one digit;
    // the reserve gave the array, zero-filled.
    length = std::max<std::uint32_t>(longer, 1);
  }
}

void uhigh::operator-=(const uhigh& other) {
  // Also what keeps the kernels inside the arrays: other <= this in value,
  // both without leading zeros, means other.length <= length. O(1) unless
  // the lengths are equal.
  if (compare(other, *this) > 0) throw std::domain_error("uhigh: subtrahend larger than minuend");
  // A moved-from value is zero, so other is zero too: nothing changes, and
  // there is no array to write.
  if (length == 0) return;
  const std::uint32_t theirs = other.length;
  const uhigh_detail::kernels::table& k = uhigh_detail::kernels::active();
  const std::int8_t borrow = k.sub(digits, digits, other.digits, theirs, 0);
  k.sub_borrow(digits + theirs, digits + theirs, length - theirs, borrow);
  while (length > 0 && digits[length - 1] == 0)
    --length;
  if (length == 0) length = 1;  // zero is one digit 0
}
