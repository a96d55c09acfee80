// The Advanced SIMD (NEON) operations that AArch64 and 32-bit ARMv7 share,
// for the block types of neon.cpp and neon_armv7.cpp: a 64-digit block is
// four q registers. Included only by those two files, each compiled for its
// own instruction set; what differs between the two (the 64-bit lane
// compares, the minimum across a register, the table lookup) is theirs.
#pragma once

#include <arm_neon.h>

#include "bignum/kernels/simd.h"

namespace uhigh_detail::kernels {
namespace {

struct neon_common {
  struct reg {
    uint8x16_t q[4];
  };

  template <class F>
  static reg each(F f) {
    return {{f(0), f(1), f(2), f(3)}};
  }
  static uint64x2_t wide(uint8x16_t v) { return vreinterpretq_u64_u8(v); }
  static uint8x16_t bytes(uint64x2_t v) { return vreinterpretq_u8_u64(v); }
  static uint32x4_t halves(uint8x16_t v) { return vreinterpretq_u32_u8(v); }

  static reg load(const digit* p) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(p);
    return each([&](int k) { return vld1q_u8(b + 16 * k); });
  }
  static void store(digit* p, reg v) {
    auto* b = reinterpret_cast<std::uint8_t*>(p);
    for (int k = 0; k < 4; ++k)
      vst1q_u8(b + 16 * k, v.q[k]);
  }
  static reg set1(int x) {
    return each([&](int) { return vdupq_n_u8(static_cast<std::uint8_t>(x)); });
  }
  static reg add(reg a, reg b) {
    return each([&](int k) { return vaddq_u8(a.q[k], b.q[k]); });
  }
  static reg sub(reg a, reg b) {
    return each([&](int k) { return vsubq_u8(a.q[k], b.q[k]); });
  }
  static reg min_u8(reg a, reg b) {
    return each([&](int k) { return vminq_u8(a.q[k], b.q[k]); });
  }
  static reg add64(reg a, reg b) {
    return each([&](int k) { return bytes(vaddq_u64(wide(a.q[k]), wide(b.q[k]))); });
  }
  static reg sub64(reg a, reg b) {
    return each([&](int k) { return bytes(vsubq_u64(wide(a.q[k]), wide(b.q[k]))); });
  }

  // One bit per 64-bit lane, from the lanes' sign bits.
  static unsigned bits(reg v) {
    unsigned m = 0;
    for (int k = 0; k < 4; ++k) {
      const uint64x2_t top = vshrq_n_u64(wide(v.q[k]), 63);
      m |= static_cast<unsigned>(vgetq_lane_u64(top, 0)) << (2 * k);
      m |= static_cast<unsigned>(vgetq_lane_u64(top, 1)) << (2 * k + 1);
    }
    return m;
  }
  static unsigned signs(reg v) { return bits(v); }

  // -1 in each 64-bit lane of register k whose bit is set.
  static uint64x2_t lanes(unsigned m, int k) {
    return vcombine_u64(vcreate_u64(0 - static_cast<std::uint64_t>((m >> (2 * k)) & 1)),
                        vcreate_u64(0 - static_cast<std::uint64_t>((m >> (2 * k + 1)) & 1)));
  }
  static reg increment(reg v, unsigned m) {
    return each([&](int k) { return bytes(vsubq_u64(wide(v.q[k]), lanes(m, k))); });
  }
  static reg decrement(reg v, unsigned m) {
    return each([&](int k) { return bytes(vaddq_u64(wide(v.q[k]), lanes(m, k))); });
  }

  static reg set1_64(long long x) {
    return each([&](int) { return vreinterpretq_u8_s64(vdupq_n_s64(x)); });
  }
  static reg sign_lanes(reg v) {
    return each(
        [&](int k) { return vreinterpretq_u8_s64(vshrq_n_s64(vreinterpretq_s64_u8(v.q[k]), 63)); });
  }
  // The smallest 32-bit half in each position across a pair of blocks. A
  // zero 64-bit lane has two zero halves, so the smallest of these is 0
  // whenever a lane of either block is: the cheap test for the exact path.
  // A zero half in a lane that is not zero is a false alarm that only sends
  // the pair down the exact path, which is right for any block.
  static uint32x4_t smallest_halves(reg a, reg b) {
    uint32x4_t low = vminq_u32(halves(a.q[0]), halves(b.q[0]));
    for (int k = 1; k < 4; ++k)
      low = vminq_u32(low, vminq_u32(halves(a.q[k]), halves(b.q[k])));
    return low;
  }

  // 64-bit lanes moved up one, lane 0 taking the top lane of below: EXT
  // takes the top eight bytes of the register below and the low eight of
  // this one.
  static reg lanes_up(reg v, reg below) {
    return each([&](int k) { return vextq_u8(k == 0 ? below.q[3] : v.q[k - 1], v.q[k], 8); });
  }
};

}  // namespace
}  // namespace uhigh_detail::kernels
