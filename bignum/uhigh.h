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
#include <iosfwd>
#include <string>
#include <string_view>
#include <functional>
#include <limits>
#include <type_traits>
#include <utility>

#include "bignum/uhigh_export.h"

namespace uhigh_detail {
struct layout;  // the tests' and benchmarks' one view of the fields

#if defined(__SIZEOF_INT128__)
__extension__ typedef __int128 int128;
__extension__ typedef unsigned __int128 uint128;
using widest = uint128;  // the widest unsigned type the compiler has
#else
// Where the compiler has no 128-bit integers (32-bit targets): stand-ins
// that no argument's type is.
struct int128 {};
struct uint128 {};
using widest = unsigned long long;
#endif

// Character and truth types are not numbers here: uhigh('7') would be 55.
// signed char and unsigned char (std::int8_t, std::uint8_t) are numbers.
template <class T>
inline constexpr bool is_character =
    std::is_same_v<T, bool> || std::is_same_v<T, char> || std::is_same_v<T, wchar_t> ||
#if defined(__cpp_char8_t)
    std::is_same_v<T, char8_t> ||
#endif
    std::is_same_v<T, char16_t> || std::is_same_v<T, char32_t>;

template <class T>
inline constexpr bool is_128 = std::is_same_v<T, int128> || std::is_same_v<T, uint128>;

// The built-in integer types a uhigh takes by value: every one but int
// (which has its own constructor), the character types and the 128-bit ones
// (which have their own too, where the compiler has them).
template <class T>
inline constexpr bool is_other_integer = std::is_integral_v<T> && !std::is_same_v<T, int> &&
                                         !is_character<T> && !is_128<T>;
}  // namespace uhigh_detail

// Only the members below marked UHIGH_EXPORT (the public ones, and the two
// private ones that the inline templates call) are visible outside a shared
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
  template <class Integer, std::enable_if_t<uhigh_detail::is_other_integer<Integer>, int> = 0>
  uhigh(Integer value) : capacity(0), length(0), digits(nullptr) {
    if constexpr (std::is_signed_v<Integer>) {
      if (value < 0) throw_negative();
    }
    assign_magnitude(static_cast<unsigned long long>(value));
  }

#if defined(__SIZEOF_INT128__)
  // The exact 128-bit values, where the compiler has the types; a negative
  // one throws std::invalid_argument. O(1).
  UHIGH_EXPORT uhigh(uhigh_detail::int128 value);
  UHIGH_EXPORT uhigh(uhigh_detail::uint128 value);
#endif

  // Not numbers: bool, char and the other character types, floating-point
  // values (use an integer type, or text) and the literal nullptr.
  template <class T, std::enable_if_t<uhigh_detail::is_character<T> ||
                                          std::is_floating_point_v<T>,
                                      int> = 0>
  uhigh(T) = delete;
  uhigh(std::nullptr_t) = delete;

  // The value of decimal text: one or more ASCII digits, leading zeros
  // allowed (and stripped). Anything else, the empty text included, throws
  // std::invalid_argument naming the offending position (0-based). Capacity
  // max(10, significant digits). O(text length).
  UHIGH_EXPORT explicit uhigh(std::string_view decimal);

  // The same for a NUL-terminated text; a null pointer throws
  // std::invalid_argument.
  UHIGH_EXPORT explicit uhigh(const char* decimal);

  // A deep copy with the source's capacity; spare room is zero. O(capacity).
  UHIGH_EXPORT uhigh(const uhigh& source);

  // Takes source's array without copying; source is left with none
  // (capacity 0, length 0), which every operation takes as zero. O(1),
  // never throws.
  UHIGH_EXPORT uhigh(uhigh&& source) noexcept;

  // Becomes a deep copy of source (its capacity, length and digits). The new
  // array is allocated before the old one is released, so a failed
  // allocation leaves this object whole; self-assignment changes nothing.
  // O(source.capacity).
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
  template <class T, std::enable_if_t<(std::is_integral_v<T> && !uhigh_detail::is_character<T>) ||
                                          uhigh_detail::is_128<T>,
                                      int> = 0>
  explicit operator T() const {
#if defined(__SIZEOF_INT128__)
    if constexpr (uhigh_detail::is_128<T>) {
      constexpr uhigh_detail::uint128 all = ~uhigh_detail::uint128{0};
      return static_cast<T>(to_widest(std::is_same_v<T, uhigh_detail::uint128> ? all : all >> 1));
    } else
#endif
    {
      return static_cast<T>(
          to_widest(static_cast<unsigned long long>(std::numeric_limits<T>::max())));
    }
  }

  // Makes capacity at least n without changing the value: when it must grow,
  // the new capacity is max(n, capacity + 10) (capped at max_digits) and the
  // length digits in use move to a new zero-filled array. O(length) when it
  // grows, O(1) otherwise.
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
  // digits whatever the factor's value (128-bit factors above 2^64: one pass
  // over the digits packed 19 to a word): no long multiplication and no
  // temporary uhigh. A negative factor throws std::invalid_argument and
  // changes nothing. O(length).
  template <class Integer,
            std::enable_if_t<(std::is_integral_v<Integer> || uhigh_detail::is_128<Integer>) &&
                                 !uhigh_detail::is_character<Integer> &&
                                 !std::is_same_v<Integer, std::uint8_t>,
                             int> = 0>
  void operator*=(Integer factor) {
    if constexpr (std::is_signed_v<Integer> || std::is_same_v<Integer, uhigh_detail::int128>) {
      if (factor < 0) throw_negative();
    }
#if defined(__SIZEOF_INT128__)
    if constexpr (uhigh_detail::is_128<Integer>) {
      multiply_by(static_cast<uhigh_detail::uint128>(factor));
    } else
#endif
    {
      multiply_by(static_cast<unsigned long long>(factor));
    }
  }

  template <class T, std::enable_if_t<uhigh_detail::is_character<T> ||
                                          std::is_floating_point_v<T>,
                                      int> = 0>
  void operator*=(T) = delete;

  // base^exponent by repeated squaring on the multiplication above, for an
  // exponent of any built-in integer type; pow(x, 0) is 1, 0^0 included. A
  // negative exponent throws std::invalid_argument; a result past
  // max_digits std::length_error. O(the last squaring).
  template <class Integer,
            std::enable_if_t<(std::is_integral_v<Integer> && !uhigh_detail::is_character<Integer>) ||
                                 uhigh_detail::is_128<Integer>,
                             int> = 0>
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

  // Truncating division: this = this / divisor, or this % divisor, so that
  // this == q * divisor + r with r < divisor. divisor may be this object,
  // or a built-in integer (converted as the constructors do: a negative one
  // throws std::invalid_argument). A zero divisor throws std::domain_error;
  // either error, or a failed allocation, leaves this unchanged. Cost, for
  // a quotient of q digits and a divisor of d: one pass, O(q), for d <= 19;
  // long division, O(q d), while q or d is under 1,520 digits; above
  // that a reciprocal by Newton's iteration, a few multiplications' time.
  // (Where the compiler has no 128-bit integers, 32-bit ARM, it is digit
  // by digit long division throughout, O(q d).)
  UHIGH_EXPORT void operator/=(const uhigh& divisor);
  UHIGH_EXPORT void operator%=(const uhigh& divisor);

  // Quotient and remainder in one division, quotient first:
  // auto [q, r] = divmod(a, b). Errors and cost as for /=.
  friend UHIGH_EXPORT std::pair<uhigh, uhigh> divmod(const uhigh& dividend, const uhigh& divisor);
  friend uhigh operator/(const uhigh& dividend, const uhigh& divisor) {
    return divmod(dividend, divisor).first;
  }
  friend uhigh operator%(const uhigh& dividend, const uhigh& divisor) {
    return divmod(dividend, divisor).second;
  }

  // Reads a decimal number as the standard extraction of an unsigned
  // integer does: white space skipped (unless noskipws), an optional +,
  // then a run of ASCII digits of any length, leading zeros stripped; the
  // first non-digit stays in the stream. No digit, or a -, sets failbit and
  // leaves value unchanged; eofbit is set when the input ends, as for int.
  friend UHIGH_EXPORT std::istream& operator>>(std::istream& in, uhigh& value);

  // this = this * other; other may be this object. Two paths:
  //  - other of at most 10 digits (long_multiplication_most): long
  //    multiplication over other's digits, least significant first, one
  //    partial product per multiplier digit (a zero digit included), each a
  //    fresh copy of this, multiplied by the digit, shifted up by its
  //    position and added into an accumulator that is finally assigned to
  //    this. This is the benchmark's defined work (every counter of a
  //    32-bit n! has at most 10 digits), kept exactly as it is timed.
  //    O(length * other.length).
  //  - longer: both operands packed 19 digits to a word and multiplied by
  //    the fastest method for their sizes: schoolbook below 64 words,
  //    Karatsuba, and number-theoretic transforms from 900 words of the
  //    shorter operand, O(n log n); x * y and y * x cost the same.
  //    (Where the compiler has no 128-bit integers, 32-bit ARM, long
  //    multiplication serves here too.) A zero operand costs O(1). Extra memory
  //    O(length + other.length), in one allocation; a failed allocation or a
  //    product past max_digits leaves this unchanged.
  UHIGH_EXPORT void operator*=(const uhigh& other);

  static constexpr std::uint32_t long_multiplication_most = 10;

  // Three-way comparison: negative when left < right, 0 when equal, positive
  // when left > right; only the sign has meaning (+-1 when the lengths
  // differ, otherwise the first differing digit's difference, from the
  // top). O(1) when the lengths differ, else O(length).
  friend UHIGH_EXPORT std::int8_t compare(const uhigh& left, const uhigh& right);

  // compare(left, right) > 0.
  friend UHIGH_EXPORT bool operator>(const uhigh& left, const uhigh& right);

  // The other relations, all consistent with compare.
  friend bool operator==(const uhigh& left, const uhigh& right) {
    return compare(left, right) == 0;
  }
  friend bool operator!=(const uhigh& left, const uhigh& right) {
    return compare(left, right) != 0;
  }
  friend bool operator<(const uhigh& left, const uhigh& right) { return compare(left, right) < 0; }
  friend bool operator<=(const uhigh& left, const uhigh& right) {
    return compare(left, right) <= 0;
  }
  friend bool operator>=(const uhigh& left, const uhigh& right) {
    return compare(left, right) >= 0;
  }

  // Sum, difference and product as new values, through the compound
  // operators (so with their costs and errors: left - right throws
  // std::domain_error when right > left).
  friend uhigh operator+(uhigh left, const uhigh& right) {
    left += right;
    return left;
  }
  friend uhigh operator-(uhigh left, const uhigh& right) {
    left -= right;
    return left;
  }
  // The product is made in a new value: neither operand is copied first,
  // so x * y and y * x cost the same.
  friend uhigh operator*(const uhigh& left, const uhigh& right) { return product(left, right); }

  // x * k and k * x for a built-in integer k: the one pass of x *= k.
  template <class Integer,
            std::enable_if_t<(std::is_integral_v<Integer> || uhigh_detail::is_128<Integer>) &&
                                 !uhigh_detail::is_character<Integer>,
                             int> = 0>
  friend uhigh operator*(uhigh left, Integer right) {
    left *= right;
    return left;
  }
  template <class Integer,
            std::enable_if_t<(std::is_integral_v<Integer> || uhigh_detail::is_128<Integer>) &&
                                 !uhigh_detail::is_character<Integer>,
                             int> = 0>
  friend uhigh operator*(Integer left, uhigh right) {
    right *= left;
    return right;
  }

  // Writes the decimal digits, most significant first, with no sign,
  // padding of its own or line end, as one formatted insertion of a
  // character string. O(length).
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

  // this = this * factor in one pass (the 64-bit one by the digit kernels'
  // word product, the 128-bit one over packed words); called by the integer
  // template above, so part of the ABI.
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
  // leaves length zero digits, as a partial product of long multiplication
  // must keep them.
  void multiply_small(std::uint8_t factor);

  // True for a zero in the form every operation hands back, or a moved-from
  // value.
  bool is_zero() const { return length <= 1 && (length == 0 || digits[0] == 0); }
};

// Equal values hash equal, whatever their capacity or history; a value
// below 2^64 hashes as std::hash<unsigned long long> hashes that number, so
// distinct values of up to 19 digits collide exactly as often. O(length).
template <>
struct std::hash<uhigh> {
  UHIGH_EXPORT std::size_t operator()(const uhigh& value) const noexcept;
};

#endif  // C++17
