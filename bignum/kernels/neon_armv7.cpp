// The SIMD kernels on four Advanced SIMD (NEON) registers per 64-digit
// block, for 32-bit ARM (ARMv7-A). Debian's armhf baseline does not promise
// NEON, so only this file is compiled with -mfpu=neon and select.cpp runs it
// only where the CPU reports NEON. It is the AArch64 form (neon.cpp) with
// what ARMv7 lacks done by what it has:
//  - the 16-entry table lookup (TBL on a q register) as two 8-byte lookups
//    (VTBL with a two-register table), one per half;
//  - 64-bit lane compares as 32-bit compares of both halves: a lane is all
//    ones (or all zeros) exactly when both of its halves are;
//  - the across-vector minimum as two pairwise minima.
#include <arm_neon.h>

#include "bignum/kernels/simd.h"

namespace kernels {
namespace {

struct neon_armv7_block {
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
  // -1 in each 64-bit lane whose two 32-bit halves both equal x.
  static reg lanes_equal(reg v, std::uint32_t x) {
    return each([&](int k) {
      const uint32x4_t equal = vceqq_u32(halves(v.q[k]), vdupq_n_u32(x));
      return vreinterpretq_u8_u32(vandq_u32(equal, vrev64q_u32(equal)));
    });
  }
  static unsigned all_ones(reg v) { return bits(lanes_equal(v, ~0u)); }
  static unsigned all_zeros(reg v) { return bits(lanes_equal(v, 0)); }

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
  // As in the AArch64 form: a zero 64-bit lane has two zero 32-bit halves,
  // so the smallest half of the two blocks is 0 whenever a lane is; a zero
  // half in a lane that is not zero only sends the pair down the exact
  // path. The minimum across the register is two pairwise minima here.
  static bool any_zero_lane(reg a, reg b) {
    uint32x4_t low = vminq_u32(halves(a.q[0]), halves(b.q[0]));
    for (int k = 1; k < 4; ++k)
      low = vminq_u32(low, vminq_u32(halves(a.q[k]), halves(b.q[k])));
    uint32x2_t pair = vmin_u32(vget_low_u32(low), vget_high_u32(low));
    pair = vpmin_u32(pair, pair);
    return vget_lane_u32(pair, 0) == 0;
  }
  // 64-bit lanes moved up one, lane 0 taking the top lane of below.
  static reg lanes_up(reg v, reg below) {
    return each([&](int k) { return vextq_u8(k == 0 ? below.q[3] : v.q[k - 1], v.q[k], 8); });
  }

  // The 16-byte product tables as two-register tables for VTBL, which looks
  // up eight indices at a time: each q register is two lookups. Digits are
  // 0..9, always inside the table.
  struct products {
    uint8x8x2_t low_table;
    uint8x8x2_t high_table;
    explicit products(digit m) {
      const product_tables t(m);
      const auto* low = reinterpret_cast<const std::uint8_t*>(t.low);
      const auto* high = reinterpret_cast<const std::uint8_t*>(t.high);
      low_table = {{vld1_u8(low), vld1_u8(low + 8)}};
      high_table = {{vld1_u8(high), vld1_u8(high + 8)}};
    }
    static uint8x16_t lookup(uint8x8x2_t table, uint8x16_t x) {
      return vcombine_u8(vtbl2_u8(table, vget_low_u8(x)), vtbl2_u8(table, vget_high_u8(x)));
    }
    reg low(reg x) const {
      return each([&](int k) { return lookup(low_table, x.q[k]); });
    }
    reg high(reg x) const {
      return each([&](int k) { return lookup(high_table, x.q[k]); });
    }
  };
};

}  // namespace

const table neon = simd<neon_armv7_block>::form("neon");

}  // namespace kernels
