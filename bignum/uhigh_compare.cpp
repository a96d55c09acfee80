// Ordering of uhigh values.
#include "bignum/uhigh.h"

std::int8_t compare(const uhigh& left, const uhigh& right) {
  // A moved-from value (length 0) is zero, as uhigh(0) is.
  if (left.length == 0 || right.length == 0) {
    const bool left_zero = left.is_zero(), right_zero = right.is_zero();
    return left_zero == right_zero ? 0 : left_zero ? -1 : 1;
  }
  // Without leading zeros, more digits means a larger value.
  if (left.length != right.length) return left.length > right.length ? 1 : -1;
  for (std::uint32_t i = left.length; i-- > 0;) {
    if (left.digits[i] != right.digits[i]) {
      return static_cast<std::int8_t>(left.digits[i] - right.digits[i]);
    }
  }
  return 0;
}

bool operator>(const uhigh& left, const uhigh& right) { return compare(left, right) > 0; }
