// The built-in types a uhigh takes and gives, for the templates of
// <bignum/uhigh.h>, which includes this header; nothing here is for direct
// use.
#pragma once

#include <type_traits>

namespace uhigh_detail {

struct layout;  // the tests' and benchmarks' one view of uhigh's fields
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
// Any built-in integer, 128-bit ones included, that is not a character.
template <class T>
inline constexpr bool is_number = (std::is_integral_v<T> || is_128<T>)&&!is_character<T>;

// What a uhigh refuses to be made from or multiplied by: characters and
// floating-point values.
template <class T>
inline constexpr bool is_not_a_number = is_character<T> || std::is_floating_point_v<T>;

// The constraint of the templates: when<condition> = 0.
template <bool condition>
using when = std::enable_if_t<condition, int>;

template <class T>
inline constexpr bool is_other_integer =
    std::is_integral_v<T> && !std::is_same_v<T, int> && !is_character<T> && !is_128<T>;
}  // namespace uhigh_detail
