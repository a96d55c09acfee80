// uhigh storage and lifecycle: construction, copying, growth, release.
#include "bignum/uhigh.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "bignum/storage.h"

namespace {

// A new array of capacity bytes holding the first length digits of source
// and zeros after them. Each byte is written once, the digits by the copy
// and the spare room by the fill: zero-filling the whole array first would
// write the digit bytes twice to the same effect.
std::int8_t* copy_digits(const std::int8_t* source, std::uint32_t length, std::uint32_t capacity) {
  if (capacity == 0) return nullptr;
  std::int8_t* fresh = storage::allocate(capacity);
  if (length != 0) storage::copy(fresh, source, length);
  storage::zero(fresh + length, capacity - length);
  return fresh;
}

}  // namespace

uhigh::uhigh(int value) : capacity(0), length(0), digits(nullptr) {
  if (value < 0) throw std::invalid_argument("uhigh: negative value");
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

uhigh::uhigh(const uhigh& source)
    : capacity(source.capacity),
      length(source.length),
      digits(copy_digits(source.digits, source.length, source.capacity)) {}

uhigh& uhigh::operator=(const uhigh& source) {
  if (this == &source) return *this;
  std::int8_t* fresh = copy_digits(source.digits, source.length, source.capacity);
  storage::release(digits);
  digits = fresh;
  capacity = source.capacity;
  length = source.length;
  return *this;
}

uhigh::~uhigh() { storage::release(digits); }

void uhigh::reserve(std::uint32_t n) {
  if (n <= capacity) return;
  // max(n, capacity + 10) in 64 bits; near the top the step is cut short at
  // max_digits, which still covers n.
  const std::uint64_t wanted = std::max<std::uint64_t>(n, std::uint64_t{capacity} + min_growth);
  const auto grown = static_cast<std::uint32_t>(std::min<std::uint64_t>(wanted, max_digits));
  std::int8_t* fresh = copy_digits(digits, length, grown);
  storage::release(digits);
  digits = fresh;
  capacity = grown;
}

void uhigh::reserve_wide(std::uint64_t n) {
  if (n > max_digits) throw std::length_error("uhigh: more than 4294967295 digits");
  reserve(static_cast<std::uint32_t>(n));
}

void uhigh::shift_up(std::uint32_t places) {
  reserve_wide(std::uint64_t{length} + places);
  storage::move(digits + places, digits, length);
  storage::zero(digits, places);
  length += places;
}
