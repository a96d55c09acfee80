// The inline parts of <bignum/uhigh.h>, which includes this header at its
// end: the bodies of the member templates, which take every built-in
// integer type through the exported one-pass members, and std::hash.
#pragma once

template <class Integer, uhigh_detail::when<uhigh_detail::is_other_integer<Integer>>>
uhigh::uhigh(Integer value) : capacity(0), length(0), digits(nullptr) {
  if constexpr (std::is_signed_v<Integer>) {
    if (value < 0) throw_negative();
  }
  assign_magnitude(static_cast<unsigned long long>(value));
}

template <class T, uhigh_detail::when<uhigh_detail::is_number<T>>>
uhigh::operator T() const {
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

template <class Integer, uhigh_detail::when<uhigh_detail::is_number<Integer> &&
                                            !std::is_same_v<Integer, std::uint8_t>>>
void uhigh::operator*=(Integer factor) {
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

// Equal values hash equal, whatever their capacity or history; a value
// below 2^64 hashes as std::hash<unsigned long long> hashes that number, so
// distinct values of up to 19 digits collide exactly as often. O(length).
template <>
struct std::hash<uhigh> {
  UHIGH_EXPORT std::size_t operator()(const uhigh& value) const noexcept;
};
