// The SIMD kernels on four Advanced SIMD (NEON) registers per 64-digit
// block. Advanced SIMD is part of every AArch64 CPU, so this form needs no
// run-time check. The digit products come from table lookups (TBL), as in
// the AVX2 and AVX-512 forms; only the lane masks of the rare exact path
// leave the vector registers.
#include "bignum/kernels/neon_common.h"

namespace uhigh_detail::kernels {
namespace {

struct neon_block : neon_common {
  static unsigned all_ones(reg v) {
    return bits(each([&](int k) { return bytes(vceqq_u64(wide(v.q[k]), vdupq_n_u64(~0ull))); }));
  }
  static unsigned all_zeros(reg v) {
    return bits(each([&](int k) { return bytes(vceqzq_u64(wide(v.q[k]))); }));
  }

  // One UMIN per register and one UMINV, against a compare and an OR per
  // register for the exact test.
  static bool any_zero_lane(reg a, reg b) { return vminvq_u32(smallest_halves(a, b)) == 0; }

  struct products {
    uint8x16_t low_table;
    uint8x16_t high_table;
    explicit products(digit m) {
      const product_tables t(m);
      low_table = vld1q_u8(reinterpret_cast<const std::uint8_t*>(t.low));
      high_table = vld1q_u8(reinterpret_cast<const std::uint8_t*>(t.high));
    }
    reg low(reg x) const {
      return each([&](int k) { return vqtbl1q_u8(low_table, x.q[k]); });
    }
    reg high(reg x) const {
      return each([&](int k) { return vqtbl1q_u8(high_table, x.q[k]); });
    }
  };
};

}  // namespace

const table neon = simd<neon_block>::form("neon");

}  // namespace uhigh_detail::kernels
