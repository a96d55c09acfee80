// Ordering of uhigh values.
#include "bignum/uhigh.h"

std::int8_t compare(const uhigh& left, const uhigh& right) {
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
