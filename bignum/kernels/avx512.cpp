// The SIMD kernels on one AVX-512BW register per 64-digit block: the lane
// lane masks come straight from the compares. Compiled with -mavx512f -mavx512bw
// and chosen only on a CPU that has both.
// GCC 12's own AVX-512 headers build vectors from deliberately undefined
// values (_mm512_undefined_*), which its flow analysis reports as
// uninitialised use; the warning is about the compiler's headers, not this
// code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <immintrin.h>

#include "bignum/kernels/simd.h"

namespace uhigh_kernels {
namespace {

struct avx512_block {
  using reg = __m512i;

  static reg load(const digit* p) { return _mm512_loadu_si512(p); }
  static void store(digit* p, reg v) { _mm512_storeu_si512(p, v); }
  // The first count < 64 bytes, by masked loads and stores: no bytes past
  // them are touched, and no store has to be forwarded to a wide load.
  static __mmask64 first(std::size_t count) { return (std::uint64_t{1} << count) - 1; }
  static reg load_partial(const digit* p, std::size_t count) {
    return _mm512_maskz_loadu_epi8(first(count), p);
  }
  static void store_partial(digit* p, reg v, std::size_t count) {
    _mm512_mask_storeu_epi8(p, first(count), v);
  }
  static reg set1(int x) { return _mm512_set1_epi8(static_cast<char>(x)); }
  static reg add(reg a, reg b) { return _mm512_add_epi8(a, b); }
  static reg sub(reg a, reg b) { return _mm512_sub_epi8(a, b); }
  static reg min_u8(reg a, reg b) { return _mm512_min_epu8(a, b); }
  static reg add64(reg a, reg b) { return _mm512_add_epi64(a, b); }
  static reg sub64(reg a, reg b) { return _mm512_sub_epi64(a, b); }

  // One bit per 64-bit lane.
  static unsigned signs(reg v) { return _mm512_cmplt_epi64_mask(v, _mm512_setzero_si512()); }
  static unsigned all_ones(reg v) { return _mm512_cmpeq_epi64_mask(v, _mm512_set1_epi64(-1)); }
  static unsigned all_zeros(reg v) { return _mm512_cmpeq_epi64_mask(v, _mm512_setzero_si512()); }
  static reg increment(reg v, unsigned lanes) {
    return _mm512_mask_add_epi64(v, static_cast<__mmask8>(lanes), v, _mm512_set1_epi64(1));
  }
  static reg decrement(reg v, unsigned lanes) {
    return _mm512_mask_sub_epi64(v, static_cast<__mmask8>(lanes), v, _mm512_set1_epi64(1));
  }
  static reg set1_64(long long x) { return _mm512_set1_epi64(x); }
  static reg sign_lanes(reg v) { return _mm512_srai_epi64(v, 63); }
  static bool any_zero_lane(reg a, reg b) {
    return (_mm512_testn_epi64_mask(a, a) | _mm512_testn_epi64_mask(b, b)) != 0;
  }
  // 64-bit lanes moved up one, lane 0 taking the top lane of below.
  static reg lanes_up(reg v, reg below) { return _mm512_alignr_epi64(v, below, 7); }

  struct products {
    reg low_table;
    reg high_table;
    explicit products(digit m) {
      const product_tables t(m);
      low_table = _mm512_broadcast_i32x4(_mm_load_si128(reinterpret_cast<const __m128i*>(t.low)));
      high_table = _mm512_broadcast_i32x4(_mm_load_si128(reinterpret_cast<const __m128i*>(t.high)));
    }
    reg low(reg x) const { return _mm512_shuffle_epi8(low_table, x); }
    reg high(reg x) const { return _mm512_shuffle_epi8(high_table, x); }
  };
};

}  // namespace

const table avx512 = simd<avx512_block>::form("avx512");

}  // namespace uhigh_kernels
