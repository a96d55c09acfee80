// The one digit helper shared by every per-digit loop: divide a small signed
// value by ten and hand back quotient and remainder together.
//
// The class's digit steps store every digit they write through this split,
// also where the value is already 0..9 (a final carry, a digit character's
// value, a multiplier digit), for which the split gives the value back.
// That is the algorithms' own step, part of the work the benchmark times,
// so it stays; with a constant-divisor division it costs a multiply and a
// shift.
#pragma once

#include <cstdint>

namespace uhigh_detail {

// Quotient of v by ten (truncated toward zero) in the high byte, remainder in
// the low byte; the remainder takes the sign of v, so split_decimal(-3) has
// low byte -3 (0xFD). For 0 <= v <= 127 the result is quotient * 256 +
// remainder. The high byte for negative v is the quotient's two's complement
// byte; no caller reads it. O(1).
constexpr std::uint16_t split_decimal(std::int8_t v) {
  const auto quotient = static_cast<std::uint8_t>(v / 10);
  const auto remainder = static_cast<std::uint8_t>(v % 10);
  return static_cast<std::uint16_t>(quotient << 8 | remainder);
}

// The two halves as signed digit bytes.
constexpr std::int8_t decimal_low(std::uint16_t split) {
  return static_cast<std::int8_t>(split & 0xFF);
}
constexpr std::int8_t decimal_high(std::uint16_t split) {
  return static_cast<std::int8_t>(split >> 8);
}

}  // namespace uhigh_detail
