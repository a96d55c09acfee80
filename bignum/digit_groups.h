// Eight digit bytes as one number below 10^8 and back, by SWAR arithmetic in
// one 64-bit word: shared by the limb conversions (limbs/words.cpp) and the word
// products of the kernels, which both turn digits into wider groups.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace uhigh_detail {

// Eight digit bytes (units first) as a number below 10^8, three steps of
// pairing neighbours inside one word: every lane stays below its width, so
// no step carries into the next lane.
inline std::uint64_t pack8(const std::int8_t* d) {
  std::uint64_t x;
  std::memcpy(&x, d, 8);
  if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
  x = (x + (x >> 8) * 10) & 0x00FF00FF00FF00FFu;    // 16-bit lanes of 0..99
  x = (x + (x >> 16) * 100) & 0x0000FFFF0000FFFFu;  // 32-bit lanes of 0..9999
  return (x + (x >> 32) * 10000) & 0xFFFFFFFFu;     // 0 .. 10^8 - 1
}

// The reverse: y < 10^8 as eight digit bytes, units first. Each quotient
// comes from a multiply and shift that is exact in its range:
// u / 100 = (u * 5243) >> 19 for u < 43699, v / 10 = (v * 103) >> 10 for
// v < 179.
inline void unpack8(std::int8_t* d, std::uint64_t y) {
  std::uint64_t z = (y % 10000) | (y / 10000) << 32;  // 32-bit lanes of 0..9999
  std::uint64_t q = ((z * 5243) >> 19) & 0x0000007F0000007Fu;
  z = (z - q * 100) | q << 16;  // 16-bit lanes of 0..99
  q = ((z * 103) >> 10) & 0x000F000F000F000Fu;
  z = (z - q * 10) | q << 8;  // bytes of 0..9
  if constexpr (std::endian::native == std::endian::big) z = __builtin_bswap64(z);
  std::memcpy(d, &z, 8);
}

}  // namespace uhigh_detail
