// Conversions of uhigh values to built-in integers, stream input and
// hashing.
#include <istream>
#include <stdexcept>
#include <string>

#include "bignum/uhigh.h"

uhigh_detail::widest uhigh::to_widest(uhigh_detail::widest most) const {
  // The widest value has at most 39 digits, so at most 40 are read before
  // the value passes most; a longer run cannot fit at all.
  const std::int8_t* d = digit_data();
  const std::uint32_t n = digit_count();
  if (n <= 40) {
    uhigh_detail::widest value = 0;
    std::uint32_t i = n;
    for (; i-- > 0;) {
      // value * 10 + d <= most, asked without overflow.
      const auto digit = static_cast<uhigh_detail::widest>(d[i]);
      if (value > (most - digit) / 10) break;
      value = value * 10 + digit;
    }
    if (i == static_cast<std::uint32_t>(-1)) return value;
  }
  throw std::overflow_error("uhigh: value does not fit in the target type");
}

std::istream& operator>>(std::istream& in, uhigh& value) {
  const std::istream::sentry sentry(in);  // skips white space unless noskipws
  if (!sentry) return in;
  std::streambuf& source = *in.rdbuf();
  std::string digits;
  std::ios_base::iostate state = std::ios_base::goodbit;
  using traits = std::istream::traits_type;
  auto c = source.sgetc();
  if (c == '+') c = source.snextc();
  for (; c != traits::eof() && c >= '0' && c <= '9'; c = source.snextc())
    digits += static_cast<char>(c);
  if (c == traits::eof()) state |= std::ios_base::eofbit;
  if (digits.empty()) {
    state |= std::ios_base::failbit;  // no digit, or a '-': value unchanged
  } else {
    value = uhigh(std::string_view{digits});
  }
  in.setstate(state);
  return in;
}

namespace {

// The hash word as a size_t: the same type on 64-bit targets, its low half
// on 32-bit ones. A template, so that neither build calls the cast useless.
template <class Word>
std::size_t to_size(Word h) {
  return static_cast<std::size_t>(h);
}

}  // namespace

std::size_t std::hash<uhigh>::operator()(const uhigh& value) const noexcept {
  const std::int8_t* d = value.digit_data();
  const std::uint32_t n = value.digit_count();
  // Below 2^64 (at most 20 digits, and no overflow on the way): the
  // number's own hash, as std::hash<unsigned long long> gives it.
  if (n <= 20) {
    unsigned long long v = 0;
    bool fits = true;
    for (std::uint32_t i = n; i-- > 0 && fits;) {
      fits = !__builtin_mul_overflow(v, 10ull, &v) &&
             !__builtin_add_overflow(v, static_cast<unsigned long long>(d[i]), &v);
    }
    if (fits) return std::hash<unsigned long long>{}(v);
  }
  // Longer: 19 digits at a time as one word, each mixed in with the
  // finaliser of splitmix64, which spreads every input bit over the word.
  const auto mix = [](std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9u;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBu;
    return x ^ (x >> 31);
  };
  std::uint64_t h = mix(n);
  for (std::uint32_t start = 0; start < n; start += 19) {
    std::uint64_t word = 0;
    for (std::uint32_t i = std::min(n, start + 19); i-- > start;)
      word = word * 10 + static_cast<std::uint64_t>(d[i]);
    h = mix(h ^ mix(word + start));
  }
  return to_size(h);
}
