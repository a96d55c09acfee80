// uhigh storage and lifecycle: construction, copying, growth, release.
#include "bignum/uhigh.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "bignum/split_decimal.h"
#include "bignum/storage.h"

using uhigh_detail::decimal_low;
using uhigh_detail::split_decimal;

namespace {

// A new array of capacity bytes holding the first length digits of source
// and zeros after them. Each byte is written once, the digits by the copy
// and the spare room by the fill: zero-filling the whole array first would
// write the digit bytes twice to the same effect.
std::int8_t* copy_digits(const std::int8_t* source, std::uint32_t length, std::uint32_t capacity) {
  if (capacity == 0) return nullptr;
  std::int8_t* fresh = uhigh_detail::storage::allocate(capacity);
  if (length != 0) uhigh_detail::storage::copy(fresh, source, length);
  uhigh_detail::storage::zero(fresh + length, capacity - length);
  return fresh;
}

}  // namespace

void uhigh::throw_negative() { throw std::invalid_argument("uhigh: negative value"); }

uhigh::uhigh(int value) : capacity(0), length(0), digits(nullptr) {
  if (value < 0) throw_negative();
  // Room for the longest int text, sign included.
  char text[12];
  const auto end = std::to_chars(text, text + sizeof text, value).ptr;
  const auto count = static_cast<std::uint32_t>(end - text);
  reserve(count);
  length = count;
  // The text is most significant first, the array least significant first.
  for (std::uint32_t i = count; i >= 1; --i) {
    digits[i - 1] = decimal_low(split_decimal(static_cast<std::int8_t>(text[count - i] - '0')));
  }
}

namespace {

// The digits of magnitude, units first, into low_first (room for 39, the
// digits of the largest 128-bit value); their count.
template <class Unsigned>
std::uint32_t digits_of(Unsigned magnitude, std::int8_t* low_first) {
  std::uint32_t count = 0;
  do {
    low_first[count++] = static_cast<std::int8_t>(magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  return count;
}

}  // namespace

void uhigh::assign_magnitude(unsigned long long magnitude) {
  std::int8_t low_first[20];  // the largest unsigned long long has 20 digits
  const std::uint32_t count = digits_of(magnitude, low_first);
  reserve(count);
  uhigh_detail::storage::copy(digits, low_first, count);
  length = count;
}

#if defined(__SIZEOF_INT128__)
void uhigh::assign_magnitude(uhigh_detail::uint128 magnitude) {
  std::int8_t low_first[39];  // the largest unsigned __int128 has 39 digits
  const std::uint32_t count = digits_of(magnitude, low_first);
  reserve(count);
  uhigh_detail::storage::copy(digits, low_first, count);
  length = count;
}

uhigh::uhigh(uhigh_detail::int128 value) : capacity(0), length(0), digits(nullptr) {
  if (value < 0) throw_negative();
  assign_magnitude(static_cast<uhigh_detail::uint128>(value));
}

uhigh::uhigh(uhigh_detail::uint128 value) : capacity(0), length(0), digits(nullptr) {
  assign_magnitude(value);
}
#endif

uhigh::uhigh(const char* decimal)
    : uhigh(decimal != nullptr ? std::string_view(decimal)
                               : throw std::invalid_argument("uhigh: null text pointer")) {}

uhigh::uhigh(std::string_view decimal) : capacity(0), length(0), digits(nullptr) {
  if (decimal.empty()) throw std::invalid_argument("uhigh: empty text, expected decimal digits");
  for (std::size_t i = 0; i < decimal.size(); ++i) {
    if (decimal[i] < '0' || decimal[i] > '9') {
      throw std::invalid_argument("uhigh: not a decimal digit at position " + std::to_string(i));
    }
  }
  // Leading zeros are dropped, but zero keeps its one digit.
  const std::size_t first = std::min(decimal.find_first_not_of('0'), decimal.size() - 1);
  const std::size_t count = decimal.size() - first;
  reserve_wide(count);
  for (std::size_t i = 0; i < count; ++i) {
    digits[i] = static_cast<std::int8_t>(decimal[decimal.size() - 1 - i] - '0');
  }
  length = static_cast<std::uint32_t>(count);
}

uhigh::uhigh(const uhigh& source)
    : capacity(source.capacity),
      length(source.length),
      digits(copy_digits(source.digits, source.length, source.capacity)) {}

uhigh& uhigh::operator=(const uhigh& source) {
  if (this == &source) return *this;
  std::int8_t* fresh = copy_digits(source.digits, source.length, source.capacity);
  uhigh_detail::storage::release(digits);
  digits = fresh;
  capacity = source.capacity;
  length = source.length;
  return *this;
}

uhigh::uhigh(uhigh&& source) noexcept
    : capacity(source.capacity), length(source.length), digits(source.digits) {
  source.capacity = 0;
  source.length = 0;
  source.digits = nullptr;
}

uhigh& uhigh::operator=(uhigh&& source) noexcept {
  if (this == &source) return *this;
  uhigh_detail::storage::release(digits);
  capacity = source.capacity;
  length = source.length;
  digits = source.digits;
  source.capacity = 0;
  source.length = 0;
  source.digits = nullptr;
  return *this;
}

uhigh::~uhigh() { uhigh_detail::storage::release(digits); }

void uhigh::reserve(std::uint32_t n) {
  if (n <= capacity) return;
  // max(n, capacity + 10) in 64 bits; near the top the step is cut short at
  // max_digits, which still covers n.
  const std::uint64_t wanted = std::max<std::uint64_t>(n, std::uint64_t{capacity} + min_growth);
  const auto grown = static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, max_digits));
  std::int8_t* fresh = copy_digits(digits, length, grown);
  uhigh_detail::storage::release(digits);
  digits = fresh;
  capacity = grown;
}

void uhigh::reserve_wide(std::uint64_t n) {
  if (n > max_digits) throw std::length_error("uhigh: more than 4294967295 digits");
  reserve(static_cast<std::uint32_t>(n));
}

void uhigh::shift_up(std::uint32_t places) {
  reserve_wide(std::uint64_t{length} + places);
  uhigh_detail::storage::move(digits + places, digits, length);
  uhigh_detail::storage::zero(digits, places);
  length += places;
}
