// The SIMD kernels on two AVX2 registers per 64-digit block. Compiled with
// -mavx2 and chosen only on a CPU that has AVX2.
#include <immintrin.h>

#include <cstring>

#include "bignum/kernels/simd_word_product.h"

namespace uhigh_detail::kernels {
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

// Sixteen 32-bit lanes in two registers, for the word product: lo holds
// lanes 0..7.
struct avx2_lanes {
  struct reg {
    __m256i lo, hi;
  };
  template <class F>
  static reg each(reg a, reg b, F f) {
    return {f(a.lo, b.lo), f(a.hi, b.hi)};
  }
  static reg zero() { return {_mm256_setzero_si256(), _mm256_setzero_si256()}; }
  static reg load(const digit* p) {
    const avx2_block::reg v = avx2_block::load(p);
    return {v.lo, v.hi};
  }
  static void store(digit* p, reg v) { avx2_block::store(p, {v.lo, v.hi}); }
  static reg load_partial(const digit* p, std::size_t count) {
    alignas(32) digit padded[64] = {};
    std::memcpy(padded, p, count);
    return load(padded);
  }
  static void store_partial(digit* p, const digit* stored, reg, std::size_t count) {
    std::memcpy(p, stored, count);
  }
  static reg splat(__m256i v) { return {v, v}; }
  static reg set1_16(int x) { return splat(_mm256_set1_epi16(static_cast<short>(x))); }
  static reg set1_32(std::uint32_t x) { return splat(_mm256_set1_epi32(static_cast<int>(x))); }
  static reg set1_64(std::uint64_t x) {
    return splat(_mm256_set1_epi64x(static_cast<long long>(x)));
  }
  static reg add32(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_add_epi32(x, y); });
  }
  static reg sub32(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_sub_epi32(x, y); });
  }
  static reg sub16(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_sub_epi16(x, y); });
  }
  static reg min32(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_min_epu32(x, y); });
  }
  static reg or_(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_or_si256(x, y); });
  }
  static reg and_(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_and_si256(x, y); });
  }
  static reg maddubs(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_maddubs_epi16(x, y); });
  }
  static reg madd16(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_madd_epi16(x, y); });
  }
  static reg mul_even(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_mul_epu32(x, y); });
  }
  static reg mullo32(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_mullo_epi32(x, y); });
  }
  static reg mullo16(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_mullo_epi16(x, y); });
  }
  static reg mulhi16(reg a, reg b) {
    return each(a, b, [](__m256i x, __m256i y) { return _mm256_mulhi_epu16(x, y); });
  }
  template <int N>
  static reg srli64(reg a) {
    return {_mm256_srli_epi64(a.lo, N), _mm256_srli_epi64(a.hi, N)};
  }
  template <int N>
  static reg slli32(reg a) {
    return {_mm256_slli_epi32(a.lo, N), _mm256_slli_epi32(a.hi, N)};
  }
  template <int N>
  static reg srli16(reg a) {
    return {_mm256_srli_epi16(a.lo, N), _mm256_srli_epi16(a.hi, N)};
  }
  template <int N>
  static reg slli16(reg a) {
    return {_mm256_slli_epi16(a.lo, N), _mm256_slli_epi16(a.hi, N)};
  }
  // Eight lanes moved up S places, the lowest taking the top S lanes of
  // below: the permute puts the 16 bytes just below each half next to it,
  // and alignr takes the top 4 S of them (all 16 when S is 4).
  template <int S>
  static __m256i up8(__m256i v, __m256i below) {
    const __m256i next_to = _mm256_permute2x128_si256(below, v, 0x21);
    if constexpr (S == 4) {
      return next_to;
    } else {
      return _mm256_alignr_epi8(v, next_to, 16 - 4 * S);
    }
  }
  template <int S>
  static reg up(reg v, reg below) {
    return {up8<S>(v.lo, below.hi), up8<S>(v.hi, v.lo)};
  }
  static unsigned bits(__m256i lo, __m256i hi) {
    return static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(lo))) |
           static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(hi))) << 8;
  }
  // Lane values here stay below 2^31, so the signed compares serve.
  static unsigned at_least(reg v, std::uint32_t x) {
    const __m256i below = _mm256_set1_epi32(static_cast<int>(x - 1));
    return bits(_mm256_cmpgt_epi32(v.lo, below), _mm256_cmpgt_epi32(v.hi, below));
  }
  static unsigned equal(reg v, std::uint32_t x) {
    const __m256i value = _mm256_set1_epi32(static_cast<int>(x));
    return bits(_mm256_cmpeq_epi32(v.lo, value), _mm256_cmpeq_epi32(v.hi, value));
  }
  // -1 in each lane whose bit of the eight is set.
  static __m256i lanes(unsigned m) {
    const __m256i select = _mm256_setr_epi32(1, 2, 4, 8, 16, 32, 64, 128);
    return _mm256_cmpeq_epi32(_mm256_and_si256(_mm256_set1_epi32(static_cast<int>(m)), select),
                              select);
  }
  static reg add_one(reg v, unsigned m) {
    return {_mm256_sub_epi32(v.lo, lanes(m & 0xFF)), _mm256_sub_epi32(v.hi, lanes(m >> 8))};
  }
};

}  // namespace

const table avx2 = [] {
  table form = simd<avx2_block>::form("avx2");
  form.mul_word = simd_mul_word<avx2_lanes>;
  return form;
}();

}  // namespace uhigh_detail::kernels
