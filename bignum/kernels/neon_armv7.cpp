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
#include "bignum/kernels/neon_common.h"

namespace uhigh_detail::kernels {
namespace {

struct neon_armv7_block : neon_common {
  // -1 in each 64-bit lane whose two 32-bit halves both equal x.
  static reg lanes_equal(reg v, std::uint32_t x) {
    return each([&](int k) {
      const uint32x4_t equal = vceqq_u32(halves(v.q[k]), vdupq_n_u32(x));
      return vreinterpretq_u8_u32(vandq_u32(equal, vrev64q_u32(equal)));
    });
  }
  static unsigned all_ones(reg v) { return bits(lanes_equal(v, ~0u)); }
  static unsigned all_zeros(reg v) { return bits(lanes_equal(v, 0)); }

  // The minimum across the register, which ARMv7 has no one instruction
  // for, as two pairwise minima.
  static bool any_zero_lane(reg a, reg b) {
    const uint32x4_t low = smallest_halves(a, b);
    uint32x2_t pair = vmin_u32(vget_low_u32(low), vget_high_u32(low));
    pair = vpmin_u32(pair, pair);
    return vget_lane_u32(pair, 0) == 0;
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

}  // namespace uhigh_detail::kernels
