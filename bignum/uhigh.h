// uhigh: an arbitrary-precision unsigned decimal integer, one digit value per
// byte, least significant digit first, in a heap array that the object owns.
//
// Invariants (every operation keeps them; the digit kernels rely on them):
//  - length <= capacity <= 4,294,967,295 (max_digits).
//  - digits is null exactly when capacity is 0. Every value has an array
//    except a moved-from one (capacity 0, length 0), which every operation
//    takes as zero.
//  - digits[0 .. length-1] hold values 0..9, units first. Every value that
//    an operation hands back has no leading zero digit (digits[length-1] !=
//    0), and zero is the single digit 0.
//  - digits[length .. capacity-1] (the spare room) is all 0 in every newly
//    allocated, grown or copied array: arrays are zero-filled on allocation
//    and only the first length digits are ever carried into a new one.
//  - Each object owns its array alone; copies are deep.
//  - Growth goes through reserve(): at least 10 digits at a time, so a value
//    that grows a digit at a time reallocates once every ten digits.
//
// The fields are private; digit_count(), digit_data() and digit_capacity()
// read them.
//
// Errors, each thrown before the object changes: a negative integer (as a
// value or a factor) throws std::invalid_argument, and so does text that is
// not a decimal number or a null text pointer; subtracting a larger value
// throws std::domain_error; a result or request of more than max_digits
// digits throws std::length_error; a conversion to an integer type that
// cannot hold the value throws std::overflow_error; allocation failure
// throws std::bad_alloc.
//
// Not thread-safe on one object; distinct objects may be used from distinct
// threads at any time, static initialisers included (the only state outside
// the operands is the kernel form, chosen once, safely, by whichever thread
// computes first).
//
// Everything here is a member or a hidden friend of uhigh, found through a
// uhigh argument: compare(3, 7) does not compile, x == 5 and 5 == x do.
#pragma once

// Below C++17 the one error below is all a consumer sees: the rest of the
// header is skipped, so no error of its own follows it.
#if defined(_MSVC_LANG) ? _MSVC_LANG < 201703L : __cplusplus < 201703L
#error "<bignum/uhigh.h> needs C++17 or later (-std=c++17)"
#else

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "bignum/uhigh_export.h"
#include "bignum/uhigh_types.h"

// Only the members marked UHIGH_EXPORT (the public ones, and the private
// ones that the inline templates call) are visible outside a shared
// libuhigh: the rest is no part of its ABI.
class uhigh {
 public:
  static constexpr std::uint32_t max_digits = 4'294'967'295u;
  static constexpr std::uint32_t min_growth = 10;

  // The decimal digits of value (>= 0, else std::invalid_argument), in an
  // array of capacity 10. O(1).
  UHIGH_EXPORT uhigh(int value);

  // The exact value of any other integer type (long long, unsigned long
  // long, ...; a negative value throws std::invalid_argument), in an array
  // of capacity max(10, its digit count). O(1).
  template <class Integer, uhigh_detail::when<uhigh_detail::is_other_integer<Integer>> = 0>
  uhigh(Integer value);

#if defined(__SIZEOF_INT128__)
  // The exact 128-bit values, where the compiler has the types; a negative
  // one throws std::invalid_argument. O(1).
  UHIGH_EXPORT uhigh(uhigh_detail::int128 value);
  UHIGH_EXPORT uhigh(uhigh_detail::uint128 value);
#endif

  // Not numbers: bool, char and the other character types, floating-point
  // values (use an integer type, or text) and the literal nullptr.
  template <class T, uhigh_detail::when<uhigh_detail::is_not_a_number<T>> = 0>
  uhigh(T) = delete;
  uhigh(std::nullptr_t) = delete;

  // The value of decimal text: one or more ASCII digits, leading zeros
  // allowed (and stripped). Anything else, the empty text included, throws
  // std::invalid_argument naming the offending position (0-based). Capacity
  // max(10, significant digits). O(text length).
  UHIGH_EXPORT explicit uhigh(std::string_view decimal);

  // The same for a NUL-terminated text; null throws std::invalid_argument.
  UHIGH_EXPORT explicit uhigh(const char* decimal);

  // A deep copy with the source's capacity; spare room is zero. O(capacity).
  UHIGH_EXPORT uhigh(const uhigh& source);

  // Takes source's array; source is left with none (zero to every
  // operation). O(1), never throws.
  UHIGH_EXPORT uhigh(uhigh&& source) noexcept;

  // Becomes a deep copy of source, its capacity included; a failed
  // allocation leaves this whole. O(source.capacity).
  UHIGH_EXPORT uhigh& operator=(const uhigh& source);

  // Releases this array and takes source's, leaving source as the move
  // constructor does; self-move changes nothing. O(1), never throws.
  UHIGH_EXPORT uhigh& operator=(uhigh&& source) noexcept;

  UHIGH_EXPORT ~uhigh();

  // The number of decimal digits: 1 for zero, a moved-from value included.
  // O(1).
  std::uint32_t digit_count() const noexcept { return length == 0 ? 1 : length; }

  // The digit_count() digit values 0..9, least significant first. Valid
  // until the value next changes. O(1).
  const std::int8_t* digit_data() const noexcept { return length == 0 ? &zero_digit : digits; }

  // Bytes in the digit array, digits and spare room: how far the value may
  // grow before reserve() reallocates. 0 for a moved-from value. O(1).
  std::uint32_t digit_capacity() const noexcept { return capacity; }

  // True when the value is not zero. O(1).
  explicit operator bool() const noexcept { return !is_zero(); }

  // The exact value as a built-in integer type (any but bool and the
  // character types, the 128-bit ones included); std::overflow_error when
  // it does not fit, nothing changed. O(1): at most 40 digits are read.
  template <class T, uhigh_detail::when<uhigh_detail::is_number<T>> = 0>
  explicit operator T() const;

  // Makes capacity at least n, the value unchanged: growth is to max(n,
  // capacity + 10) (at most max_digits), in a new zero-filled array.
  // O(length) when it grows, O(1) otherwise.
  UHIGH_EXPORT void reserve(std::uint32_t n);

  // this = this + other; other may be this object. Always reserves the
  // longer length plus one first, so capacity may grow even when no carry
  // comes. O(max(length, other.length)).
  UHIGH_EXPORT void operator+=(const uhigh& other);

  // this = this - other; other may be this object. other > this throws
  // std::domain_error and changes nothing. Never allocates. O(length).
  UHIGH_EXPORT void operator-=(const uhigh& other);

  // this = this * factor. 10 shifts the digits up one place; 0..9 is one
  // pass over the digits; 11..255 multiplies by uhigh(factor). O(length).
  UHIGH_EXPORT void operator*=(std::uint8_t factor);

  // this = this * factor for any other integer type, in one pass over the
  // digits and no temporary; a negative factor throws std::invalid_argument
  // and changes nothing. O(length).
  template <class Integer, uhigh_detail::when<uhigh_detail::is_number<Integer> &&
                                              !std::is_same_v<Integer, std::uint8_t>> = 0>
  void operator*=(Integer factor);

  template <class T, uhigh_detail::when<uhigh_detail::is_not_a_number<T>> = 0>
  void operator*=(T) = delete;

  // base^exponent by repeated squaring, for any built-in integer exponent;
  // pow(x, 0) is 1. A negative exponent throws std::invalid_argument, a
  // result past max_digits std::length_error. O(the last squaring).
  template <class Integer, uhigh_detail::when<uhigh_detail::is_number<Integer>> = 0>
  friend uhigh pow(const uhigh& base, Integer exponent) {
    if constexpr (std::is_signed_v<Integer> || std::is_same_v<Integer, uhigh_detail::int128>) {
      if (exponent < 0) throw_negative();
    }
    // Past 2^64 - 1 only 0 and 1 stay within max_digits, and they give the
    // same result for that exponent.
    if constexpr (uhigh_detail::is_128<Integer>) {
      constexpr auto most = ~0ull;
      return power(base, exponent > most ? most : static_cast<unsigned long long>(exponent));
    } else {
      return power(base, static_cast<unsigned long long>(exponent));
    }
  }

  // Truncating division, this / divisor or this % divisor; divisor may be
  // this object or a built-in integer (a negative one throws
  // std::invalid_argument). Zero throws std::domain_error; errors leave this
  // unchanged. For q quotient and d divisor digits: O(q) for d <= 19, O(q d)
  // below 1,520 digits, above that a few multiplications' time (Newton).
  UHIGH_EXPORT void operator/=(const uhigh& divisor);
  UHIGH_EXPORT void operator%=(const uhigh& divisor);

  // Quotient and remainder in one division, quotient first:
  // auto [q, r] = divmod(a, b). Errors and cost as for /=.
  friend UHIGH_EXPORT std::pair<uhigh, uhigh> divmod(const uhigh& dividend, const uhigh& divisor);
  friend uhigh operator/(const uhigh& a, const uhigh& b) { return divmod(a, b).first; }
  friend uhigh operator%(const uhigh& a, const uhigh& b) { return divmod(a, b).second; }

  // Reads a decimal number as unsigned extraction does: white space skipped
  // (unless noskipws), an optional +, any run of digits; the first non-digit
  // stays. No digit, or a -, sets failbit and leaves value unchanged. O(n).
  friend UHIGH_EXPORT std::istream& operator>>(std::istream& in, uhigh& value);

  // this = this * other; other may be this object. Up to 10 digits of other
  // (long_multiplication_most): long multiplication, one partial product a
  // multiplier digit, the benchmark's defined work, O(length * other.length).
  // Longer: packed words by schoolbook, Karatsuba or transforms by size,
  // O(n log n) at the largest (32-bit ARM: long multiplication throughout).
  // A failed allocation or a product past max_digits leaves this unchanged.
  UHIGH_EXPORT void operator*=(const uhigh& other);

  static constexpr std::uint32_t long_multiplication_most = 10;

  // Negative, 0 or positive as left <, == or > right (only the sign has
  // meaning). O(1) when the lengths differ, else O(length).
  friend UHIGH_EXPORT std::int8_t compare(const uhigh& left, const uhigh& right);

  // compare(left, right) > 0.
  friend UHIGH_EXPORT bool operator>(const uhigh& left, const uhigh& right);

  // The other relations, all consistent with compare.
  friend bool operator==(const uhigh& a, const uhigh& b) { return compare(a, b) == 0; }
  friend bool operator!=(const uhigh& a, const uhigh& b) { return compare(a, b) != 0; }
  friend bool operator<(const uhigh& a, const uhigh& b) { return compare(a, b) < 0; }
  friend bool operator<=(const uhigh& a, const uhigh& b) { return compare(a, b) <= 0; }
  friend bool operator>=(const uhigh& a, const uhigh& b) { return compare(a, b) >= 0; }

  // Sum, difference and product as new values, with the compound
  // operators' costs and errors.
  friend uhigh operator+(uhigh left, const uhigh& right) {
    left += right;
    return left;
  }
  friend uhigh operator-(uhigh left, const uhigh& right) {
    left -= right;
    return left;
  }
  friend uhigh operator*(const uhigh& left, const uhigh& right) { return product(left, right); }

  // x * k and k * x for a built-in integer k: the one pass of x *= k.
  template <class Integer, uhigh_detail::when<uhigh_detail::is_number<Integer>> = 0>
  friend uhigh operator*(uhigh left, Integer right) {
    left *= right;
    return left;
  }
  template <class Integer, uhigh_detail::when<uhigh_detail::is_number<Integer>> = 0>
  friend uhigh operator*(Integer left, uhigh right) {
    right *= left;
    return right;
  }

  // Writes the digits, most significant first, as one formatted insertion
  // of a character string (so width and fill apply). O(length).
  friend UHIGH_EXPORT std::ostream& operator<<(std::ostream& out, const uhigh& value);

  // The digits as operator<< writes them. O(length).
  friend UHIGH_EXPORT std::string to_string(const uhigh& value);

 private:
  friend struct uhigh_detail::layout;

  std::uint32_t capacity;  // bytes in the digit array; 0 only when there is none
  std::uint32_t length;    // digits in use
  std::int8_t* digits;     // owned; digit values 0..9, units first

  // What digit_data() shows of a moved-from value.
  static constexpr std::int8_t zero_digit = 0;

  [[noreturn]] UHIGH_EXPORT static void throw_negative();

  // Sets the digits of magnitude into an object without an array.
  UHIGH_EXPORT void assign_magnitude(unsigned long long magnitude);
#if defined(__SIZEOF_INT128__)
  void assign_magnitude(uhigh_detail::uint128 magnitude);
#endif

  // reserve() for a request formed in 64 bits: std::length_error past
  // max_digits, before anything changes.
  void reserve_wide(std::uint64_t n);

  // Moves the digits up by places positions and zero-fills the vacated low
  // ones: multiplication by 10^places.
  void shift_up(std::uint32_t places);

  // this = this * factor in one pass; called by the integer template above,
  // so part of the ABI.
  UHIGH_EXPORT void multiply_by(unsigned long long factor);
#if defined(__SIZEOF_INT128__)
  UHIGH_EXPORT void multiply_by(uhigh_detail::uint128 factor);
#endif

  // The value if it is at most most, else std::overflow_error.
  UHIGH_EXPORT uhigh_detail::widest to_widest(uhigh_detail::widest most) const;

  // base^exponent, for pow.
  UHIGH_EXPORT static uhigh power(const uhigh& base, unsigned long long exponent);

  // left * right as a new value, for operator*.
  UHIGH_EXPORT static uhigh product(const uhigh& left, const uhigh& right);

  // this = a * b for digit runs a and b (either may be this object's own),
  // through packed limbs; nothing changes before the product is complete.
  void assign_product(const std::int8_t* a, std::uint32_t a_length, const std::int8_t* b,
                      std::uint32_t b_length);

  // This object becomes zero in a fresh one-digit array: O(1).
  void become_zero();

  // This object becomes the value of count limbs (of 10^19, least
  // significant first), which has at least as many digits as its own.
  void take_limbs(const std::uint64_t* product, std::size_t count);

  // operator*=(std::uint8_t) without the final normalising: a factor of 0
  // leaves length zero digits, as long multiplication's partial products need.
  void multiply_small(std::uint8_t factor);

  // True for zero as every operation hands it back, or a moved-from value.
  bool is_zero() const { return length <= 1 && (length == 0 || digits[0] == 0); }
};

#include "bignum/uhigh_inline.h"

#endif  // C++17
