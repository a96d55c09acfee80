// The SIMD kernels on two AVX2 registers per 64-digit block. Compiled with
// -mavx2 and chosen only on a CPU that has AVX2.
#include <immintrin.h>

#include "bignum/kernels/simd.h"

namespace uhigh_kernels {
namespace {

struct avx2_block {
  struct reg {
    __m256i lo, hi;
  };

  static reg load(const digit* p) {
    return {_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)),
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32))};
  }
  static void store(digit* p, reg v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v.lo);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + 32), v.hi);
  }
  static reg set1(int x) {
    const __m256i v = _mm256_set1_epi8(static_cast<char>(x));
    return {v, v};
  }
  static reg add(reg a, reg b) {
    return {_mm256_add_epi8(a.lo, b.lo), _mm256_add_epi8(a.hi, b.hi)};
  }
  static reg sub(reg a, reg b) {
    return {_mm256_sub_epi8(a.lo, b.lo), _mm256_sub_epi8(a.hi, b.hi)};
  }
  static reg min_u8(reg a, reg b) {
    return {_mm256_min_epu8(a.lo, b.lo), _mm256_min_epu8(a.hi, b.hi)};
  }

  static reg add64(reg a, reg b) {
    return {_mm256_add_epi64(a.lo, b.lo), _mm256_add_epi64(a.hi, b.hi)};
  }
  static reg sub64(reg a, reg b) {
    return {_mm256_sub_epi64(a.lo, b.lo), _mm256_sub_epi64(a.hi, b.hi)};
  }

  // One bit per 64-bit lane, from the lanes' sign bits.
  static unsigned bits(__m256i lo, __m256i hi) {
    return static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(lo))) |
           static_cast<unsigned>(_mm256_movemask_pd(_mm256_castsi256_pd(hi))) << 4;
  }
  static unsigned signs(reg v) { return bits(v.lo, v.hi); }
  static unsigned all_ones(reg v) {
    const __m256i ones = _mm256_set1_epi64x(-1);
    return bits(_mm256_cmpeq_epi64(v.lo, ones), _mm256_cmpeq_epi64(v.hi, ones));
  }
  static unsigned all_zeros(reg v) {
    const __m256i zero = _mm256_setzero_si256();
    return bits(_mm256_cmpeq_epi64(v.lo, zero), _mm256_cmpeq_epi64(v.hi, zero));
  }

  // -1 in each 64-bit lane whose bit of the four is set.
  static __m256i lanes(unsigned m) {
    const __m256i select = _mm256_setr_epi64x(1, 2, 4, 8);
    return _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_set1_epi64x(m), select), select);
  }
  static reg increment(reg v, unsigned m) {
    return {_mm256_sub_epi64(v.lo, lanes(m & 0xF)), _mm256_sub_epi64(v.hi, lanes(m >> 4))};
  }
  static reg decrement(reg v, unsigned m) {
    return {_mm256_add_epi64(v.lo, lanes(m & 0xF)), _mm256_add_epi64(v.hi, lanes(m >> 4))};
  }

  static reg set1_64(long long x) {
    const __m256i v = _mm256_set1_epi64x(x);
    return {v, v};
  }
  static reg sign_lanes(reg v) {
    const __m256i zero = _mm256_setzero_si256();
    return {_mm256_cmpgt_epi64(zero, v.lo), _mm256_cmpgt_epi64(zero, v.hi)};
  }
  static bool any_zero_lane(reg a, reg b) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i zeros = _mm256_or_si256(
        _mm256_or_si256(_mm256_cmpeq_epi64(a.lo, zero), _mm256_cmpeq_epi64(a.hi, zero)),
        _mm256_or_si256(_mm256_cmpeq_epi64(b.lo, zero), _mm256_cmpeq_epi64(b.hi, zero)));
    return !_mm256_testz_si256(zeros, zeros);
  }
  // 64-bit lanes moved up one across the whole register, lane 0 taking the
  // top lane of below: the permute puts the 16 bytes just below each half
  // next to it, and alignr takes the top eight of them.
  static __m256i lanes_up1(__m256i v, __m256i below) {
    return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(below, v, 0x21), 8);
  }
  static reg lanes_up(reg v, reg below) {
    return {lanes_up1(v.lo, below.hi), lanes_up1(v.hi, v.lo)};
  }

  struct products {
    __m256i low_table;
    __m256i high_table;
    explicit products(digit m) {
      const product_tables t(m);
      low_table =
          _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.low)));
      high_table =
          _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.high)));
    }
    reg low(reg x) const {
      return {_mm256_shuffle_epi8(low_table, x.lo), _mm256_shuffle_epi8(low_table, x.hi)};
    }
    reg high(reg x) const {
      return {_mm256_shuffle_epi8(high_table, x.lo), _mm256_shuffle_epi8(high_table, x.hi)};
    }
  };
};

}  // namespace

const table avx2 = simd<avx2_block>::form("avx2");

}  // namespace uhigh_kernels
