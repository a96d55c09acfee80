// What the oracle tests share: seeded random operands in the shapes that
// break carries, and the bounds that shrink where everything runs slower.
// UHIGH_ORACLE_SEED=N reruns every oracle test with another seed; a
// failure names the seed and the case.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "bignum/kernels/table.h"

namespace oracle {

inline unsigned seed() {
  static const unsigned value = [] {
    const char* text = std::getenv("UHIGH_ORACLE_SEED");
    return text != nullptr ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : 20261209u;
  }();
  return value;
}

// Random decimal text of exactly `length` digits, no leading zero, in one of
// four shapes: uniform, mostly 9s, mostly 0s, or alternating runs of each.
inline std::string random_number(std::mt19937& random, std::size_t length) {
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> shape(0, 3);
  std::uniform_int_distribution<int> run(1, 150);
  std::string text(length, '0');
  const int kind = shape(random);
  char fill = '9';
  int left = run(random);
  for (char& c : text) {
    switch (kind) {
      case 0:
        c = static_cast<char>('0' + digit(random));
        break;
      case 1:
        c = digit(random) == 0 ? static_cast<char>('0' + digit(random)) : '9';
        break;
      case 2:
        c = digit(random) == 0 ? static_cast<char>('0' + digit(random)) : '0';
        break;
      default:
        if (--left == 0) fill = fill == '9' ? '0' : '9', left = run(random);
        c = fill;
    }
  }
  text[0] = static_cast<char>('1' + digit(random) % 9);
  return text;
}

// 10^zeros as text. (Built in place: GCC 12 takes "1" + std::string(n,
// '0') for an overlapping copy on 32-bit targets, a false -Wrestrict.)
inline std::string power_of_ten(std::size_t zeros) {
  std::string text(zeros + 1, '0');
  text[0] = '1';
  return text;
}

// Random decimal text of 1 to most digits, in one of the shapes above.
inline std::string random_text(std::mt19937_64& random, std::size_t most) {
  std::mt19937 digits(static_cast<unsigned>(random()));
  return random_number(digits, 1 + random() % most);
}

// A built-in factor or divisor of at least least (0 or 1): in the first
// rounds the edges of the word (0 or 1 itself, 9, 10^19 - 1, 10^19, 2^64
// - 1, 2^32), then random words of every width.
inline unsigned long long edge_or_random_word(std::mt19937_64& random, int round,
                                              unsigned long long least) {
  const unsigned long long edges[] = {
      least, 9, 9999999999999999999ull, 10000000000000000000ull, ~0ull, 4294967296ull};
  if (round < 6) return edges[round];
  return std::max<unsigned long long>(least, random() >> (random() % 64));
}

inline std::size_t random_length(std::mt19937& random, std::size_t most) {
  // Short lengths as often as long ones: block and word edges matter.
  std::uniform_int_distribution<int> pick(0, 1);
  std::uniform_int_distribution<std::size_t> any(1, most);
  std::uniform_int_distribution<std::size_t> short_one(1, 200);
  return pick(random) == 0 ? short_one(random) : any(random);
}

// The tests run once per kernel form; the reference form is about a hundred
// times slower, and so is everything under an emulator (the cross targets,
// the older x86-64 CPUs) and under a sanitizer, so those take the same
// cases with smaller bounds.
// GCC names a sanitized build with a macro, clang with __has_feature.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool sanitized = true;
#elif defined(__has_feature)
constexpr bool sanitized = __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
constexpr bool sanitized = false;
#endif
inline bool small_bounds() {
  static const bool emulated = std::getenv("UHIGH_EMULATED") != nullptr;
  return sanitized || emulated ||
         &uhigh_detail::kernels::active() == &uhigh_detail::kernels::reference;
}

inline std::string trace(int i) {
  std::string text("UHIGH_ORACLE_SEED=");
  text += std::to_string(seed());
  text += " case ";
  text += std::to_string(i);
  return text;
}

}  // namespace oracle
