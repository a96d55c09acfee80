// Helpers shared by the tests: build uhigh values with an exact digit layout,
// and read them back.
#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bignum/uhigh.h"

namespace kernels {
struct table;
}

namespace test {

// The kernel form that was active when the test binary started, before any
// --kernels choice.
extern const kernels::table* startup_form;

// A uhigh holding exactly the digits of text (most significant first),
// leading zeros kept, with at least min_capacity bytes of array.
inline uhigh from_text(const std::string& text, std::uint32_t min_capacity = 0) {
  uhigh value(0);
  value.reserve(std::max<std::uint32_t>(static_cast<std::uint32_t>(text.size()), min_capacity));
  for (std::size_t i = 0; i < text.size(); ++i) {
    value.digits[text.size() - 1 - i] = static_cast<std::int8_t>(text[i] - '0');
  }
  value.length = static_cast<std::uint32_t>(text.size());
  return value;
}

// A value with no array at all (capacity 0), as no operation leaves one:
// for the cases that must cope with it anyway.
inline uhigh without_array() {
  uhigh value(0);
  delete[] value.digits;
  value.digits = nullptr;
  value.capacity = 0;
  value.length = 0;
  return value;
}

inline std::string text_of(const uhigh& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// The whole array, spare room included, units first.
inline std::vector<int> array_of(const uhigh& value) {
  return std::vector<int>(value.digits, value.digits + value.capacity);
}

// The digits in use, units first.
inline std::vector<int> digits_of(const uhigh& value) {
  return std::vector<int>(value.digits, value.digits + value.length);
}

inline bool spare_room_is_zero(const uhigh& value) {
  for (std::uint32_t i = value.length; i < value.capacity; ++i) {
    if (value.digits[i] != 0) return false;
  }
  return true;
}

}  // namespace test
