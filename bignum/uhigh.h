// uhigh: an arbitrary-precision unsigned decimal integer, one digit value per
// byte, least significant digit first, in a heap array that the object owns.
//
// Invariants (every operation keeps them; the digit kernels rely on them):
//  - length <= capacity <= 4,294,967,295 (max_digits).
//  - digits is null exactly when capacity is 0; every live value has an array.
//  - digits[0 .. length-1] hold values 0..9, units first. A value has no
//    leading zero digit (digits[length-1] != 0) and zero is the single digit
//    0, except after multiplication with a zero operand, which leaves a run
//    of zero digits (see operator*=).
//  - digits[length .. capacity-1] (the spare room) is all 0 in every newly
//    allocated, grown or copied array: arrays are zero-filled on allocation
//    and only the first length digits are ever carried into a new one.
//  - Each object owns its array alone; copies are deep.
//  - Growth goes through reserve(): at least 10 digits at a time, so a value
//    that grows a digit at a time reallocates once every ten digits.
//
// Errors: a negative integer is refused with std::invalid_argument; a result
// or request of more than max_digits digits throws std::length_error before
// the object changes; allocation failure throws std::bad_alloc, and an
// operation that fails that way leaves its object's value as it was.
//
// Not thread-safe on one object; distinct objects may be used from distinct
// threads (no operation keeps state outside its operands).
#pragma once

#include <cstdint>
#include <iosfwd>

#include "bignum/split_decimal.h"
#include "bignum/uhigh_export.h"

class UHIGH_EXPORT uhigh {
 public:
  static constexpr std::uint32_t max_digits = 4'294'967'295u;
  static constexpr std::uint32_t min_growth = 10;

  std::uint32_t capacity;  // bytes in the digit array; 0 only when there is none
  std::uint32_t length;    // digits in use
  std::int8_t* digits;     // owned; digit values 0..9, units first

  // The decimal digits of value (>= 0, else std::invalid_argument), in an
  // array of capacity 10. O(1).
  uhigh(int value);

  // A deep copy with the source's capacity; spare room is zero. O(capacity).
  uhigh(const uhigh& source);

  // Becomes a deep copy of source (its capacity, length and digits). The new
  // array is allocated before the old one is released, so a failed
  // allocation leaves this object whole; self-assignment changes nothing.
  // O(source.capacity).
  uhigh& operator=(const uhigh& source);

  ~uhigh();

  // Makes capacity at least n without changing the value: when it must grow,
  // the new capacity is max(n, capacity + 10) (capped at max_digits) and the
  // length digits in use move to a new zero-filled array. O(length) when it
  // grows, O(1) otherwise.
  void reserve(std::uint32_t n);

  // this = this + other; other may be this object. Always reserves the
  // longer length plus one first, so capacity may grow even when no carry
  // comes. Strips no leading zeros. O(max(length, other.length)).
  void operator+=(const uhigh& other);

  // this = this - other. Requires other <= this in value and other.length <=
  // length (result undefined otherwise); other may be this object. The
  // result has no leading zeros; never allocates. O(length).
  void operator-=(const uhigh& other);

  // this = this * factor. 10 shifts the digits up one place; 0..9 is one
  // pass over the digits; 11..255 multiplies by uhigh(factor). A factor of 0
  // leaves length zero digits (no stripping). O(length).
  void operator*=(std::uint8_t factor);

  // this = this * other by long multiplication over other's digits, least
  // significant first: one partial product per multiplier digit (a zero digit
  // included), each a fresh copy of this, multiplied by the digit, shifted up
  // by its position and added into an accumulator that is finally assigned
  // to this. other may be this object. With a zero operand the result is a
  // run of zero digits. O(length * other.length + other.length^2).
  void operator*=(const uhigh& other);

 private:
  // reserve() for a request formed in 64 bits: std::length_error past
  // max_digits, before anything changes.
  void reserve_wide(std::uint64_t n);

  // Moves the digits up by places positions and zero-fills the vacated low
  // ones: multiplication by 10^places.
  void shift_up(std::uint32_t places);
};

// Three-way comparison: negative when left < right, 0 when equal, positive
// when left > right; only the sign has meaning (+-1 when the lengths differ,
// otherwise the first differing digit's difference, from the top). Orders by
// length first, which is right for values without leading zeros.
// O(1) when the lengths differ, else O(length).
UHIGH_EXPORT std::int8_t compare(const uhigh& left, const uhigh& right);

// compare(left, right) > 0.
UHIGH_EXPORT bool operator>(const uhigh& left, const uhigh& right);

// Writes the decimal digits, most significant first, with no sign, padding of
// its own or line end, as one formatted insertion of a character string.
// A value of length 0 prints "0". O(length).
UHIGH_EXPORT std::ostream& operator<<(std::ostream& out, const uhigh& value);
