// The one view of uhigh's private fields from outside the class: for the
// tests, benchmarks and fuzzers that check an exact layout or build one that
// no operation makes. Not installed; code that writes through it must keep
// the invariants that bignum/uhigh.h lists.
#pragma once

#include <cstdint>

#include "bignum/uhigh.h"

namespace uhigh_detail {

struct layout {
  static std::uint32_t& capacity(uhigh& v) noexcept { return v.capacity; }
  static std::uint32_t& length(uhigh& v) noexcept { return v.length; }
  static std::int8_t*& digits(uhigh& v) noexcept { return v.digits; }
  static std::uint32_t capacity(const uhigh& v) noexcept { return v.capacity; }
  static std::uint32_t length(const uhigh& v) noexcept { return v.length; }
  static const std::int8_t* digits(const uhigh& v) noexcept { return v.digits; }
};

}  // namespace uhigh_detail
