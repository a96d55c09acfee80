// Decimal text output of uhigh values.
#include <memory>
#include <ostream>
#include <string>

#include "bignum/uhigh.h"

std::ostream& operator<<(std::ostream& out, const uhigh& value) {
  // One buffer and one insertion whatever the size, so the stream's own
  // formatting (width, fill) treats the number as a single string.
  const std::size_t count = value.length;
  const std::unique_ptr<char[]> text(new char[count + 1]);
  if (count == 0) return out << "0";
  for (std::size_t i = 0; i < count; ++i) {
    text[i] = static_cast<char>('0' + value.digits[count - 1 - i]);
  }
  text[count] = '\0';
  return out << text.get();
}

std::string to_string(const uhigh& value) {
  if (value.length == 0) return "0";
  std::string text(value.length, '0');
  for (std::size_t i = 0; i < value.length; ++i) {
    text[i] = static_cast<char>('0' + value.digits[value.length - 1 - i]);
  }
  return text;
}
