// The SIMD kernels on one AVX-512BW register per 64-digit block: the lane
// lane masks come straight from the compares. Compiled with -mavx512f -mavx512bw
// and chosen only on a CPU that has both.
// GCC 12's own AVX-512 headers build vectors from deliberately undefined
// values (_mm512_undefined_*), which its flow analysis reports as
// uninitialised use; the warning is about the compiler's headers, not this
// code. (-Wuninitialized is the form it takes where the asserts of a Debug
// build change what is inlined.)
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif

#include <immintrin.h>

#include "bignum/kernels/simd.h"
#include "bignum/kernels/simd_word_product.h"

namespace uhigh_detail::kernels {
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

// Sixteen 32-bit lanes in one register, for the word product.
struct avx512_lanes {
  using reg = __m512i;
  static reg zero() { return _mm512_setzero_si512(); }
  static reg load(const digit* p) { return _mm512_loadu_si512(p); }
  static void store(digit* p, reg v) { _mm512_storeu_si512(p, v); }
  static reg load_partial(const digit* p, std::size_t count) {
    return avx512_block::load_partial(p, count);
  }
  static void store_partial(digit* p, const digit*, reg v, std::size_t count) {
    avx512_block::store_partial(p, v, count);
  }
  static reg set1_16(int x) { return _mm512_set1_epi16(static_cast<short>(x)); }
  static reg set1_32(std::uint32_t x) { return _mm512_set1_epi32(static_cast<int>(x)); }
  static reg set1_64(std::uint64_t x) { return _mm512_set1_epi64(static_cast<long long>(x)); }
  static reg add32(reg a, reg b) { return _mm512_add_epi32(a, b); }
  static reg sub32(reg a, reg b) { return _mm512_sub_epi32(a, b); }
  static reg sub16(reg a, reg b) { return _mm512_sub_epi16(a, b); }
  static reg min32(reg a, reg b) { return _mm512_min_epu32(a, b); }
  static reg or_(reg a, reg b) { return _mm512_or_si512(a, b); }
  static reg and_(reg a, reg b) { return _mm512_and_si512(a, b); }
  static reg maddubs(reg a, reg b) { return _mm512_maddubs_epi16(a, b); }
  static reg madd16(reg a, reg b) { return _mm512_madd_epi16(a, b); }
  static reg mul_even(reg a, reg b) { return _mm512_mul_epu32(a, b); }
  static reg mullo32(reg a, reg b) { return _mm512_mullo_epi32(a, b); }
  static reg mullo16(reg a, reg b) { return _mm512_mullo_epi16(a, b); }
  static reg mulhi16(reg a, reg b) { return _mm512_mulhi_epu16(a, b); }
  template <unsigned N>
  static reg srli64(reg a) {
    return _mm512_srli_epi64(a, N);
  }
  template <unsigned N>
  static reg slli32(reg a) {
    return _mm512_slli_epi32(a, N);
  }
  template <unsigned N>
  static reg srli16(reg a) {
    return _mm512_srli_epi16(a, N);
  }
  template <unsigned N>
  static reg slli16(reg a) {
    return _mm512_slli_epi16(a, N);
  }
  // Lanes moved up S places, the lowest taking the top S lanes of below.
  template <int S>
  static reg up(reg v, reg below) {
    return _mm512_alignr_epi32(v, below, 16 - S);
  }
  static unsigned at_least(reg v, std::uint32_t x) {
    return _mm512_cmpge_epu32_mask(v, set1_32(x));
  }
  static unsigned equal(reg v, std::uint32_t x) { return _mm512_cmpeq_epi32_mask(v, set1_32(x)); }
  static reg add_one(reg v, unsigned lanes) {
    return _mm512_mask_add_epi32(v, static_cast<__mmask16>(lanes), v, set1_32(1));
  }
};

}  // namespace

const table avx512 = [] {
  table form = simd<avx512_block>::form("avx512");
  form.mul_word = simd_mul_word<avx512_lanes>;
  return form;
}();

}  // namespace uhigh_detail::kernels
