// Helpers shared by the tests: build uhigh values with an exact digit layout,
// and read them back.
#pragma once

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "bignum/layout.h"
#include "bignum/uhigh.h"

using uhigh_detail::layout;

namespace uhigh_detail::kernels {
struct table;
}

namespace test {

// The kernel form that was active when the test binary started, before any
// --kernels choice.
extern const uhigh_detail::kernels::table* startup_form;

// A uhigh holding exactly the digits of text (most significant first),
// leading zeros kept, with at least min_capacity bytes of array.
inline uhigh from_text(const std::string& text, std::uint32_t min_capacity = 0) {
  uhigh value(0);
  value.reserve(std::max<std::uint32_t>(static_cast<std::uint32_t>(text.size()), min_capacity));
  for (std::size_t i = 0; i < text.size(); ++i) {
    layout::digits(value)[text.size() - 1 - i] = static_cast<std::int8_t>(text[i] - '0');
  }
  layout::length(value) = static_cast<std::uint32_t>(text.size());
  return value;
}

// A value with no array at all (capacity 0), as no operation leaves one:
// for the cases that must cope with it anyway.
inline uhigh without_array() {
  uhigh value(0);
  delete[] layout::digits(value);
  layout::digits(value) = nullptr;
  layout::capacity(value) = 0;
  layout::length(value) = 0;
  return value;
}

inline std::string text_of(const uhigh& value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

// The whole array, spare room included, units first.
inline std::vector<int> array_of(const uhigh& value) {
  return std::vector<int>(layout::digits(value), layout::digits(value) + layout::capacity(value));
}

// The digits in use, units first.
inline std::vector<int> digits_of(const uhigh& value) {
  return std::vector<int>(layout::digits(value), layout::digits(value) + layout::length(value));
}

inline bool spare_room_is_zero(const uhigh& value) {
  for (std::uint32_t i = layout::length(value); i < layout::capacity(value); ++i) {
    if (layout::digits(value)[i] != 0) return false;
  }
  return true;
}

}  // namespace test
