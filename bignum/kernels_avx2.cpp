// The SIMD kernels on two AVX2 registers per 64-digit block. Compiled with
// -mavx2 and chosen only on a CPU that has AVX2.
#include "bignum/kernels_x86_simd.h"

namespace kernels {
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

  static std::uint64_t bits(__m256i lo, __m256i hi) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(lo)) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(hi))) << 32;
  }
  static std::uint64_t above_nine(reg v) {
    const __m256i nine = _mm256_set1_epi8(9);
    return bits(_mm256_cmpgt_epi8(v.lo, nine), _mm256_cmpgt_epi8(v.hi, nine));
  }
  static std::uint64_t equal(reg v, int x) {
    const __m256i value = _mm256_set1_epi8(static_cast<char>(x));
    return bits(_mm256_cmpeq_epi8(v.lo, value), _mm256_cmpeq_epi8(v.hi, value));
  }
  static std::uint64_t negative(reg v) { return bits(v.lo, v.hi); }

  // Lane j of a register takes byte j / 8 of its 32 mask bits (the shuffle
  // works within 128-bit halves, and every half holds all four bytes) and
  // tests its own bit in it.
  static __m256i expand32(std::uint32_t m) {
    const __m256i spread = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1,  //
                                            2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3, 3, 3);
    const __m256i select = _mm256_set1_epi64x(static_cast<long long>(0x8040201008040201u));
    const __m256i x = _mm256_shuffle_epi8(_mm256_set1_epi32(static_cast<int>(m)), spread);
    return _mm256_cmpeq_epi8(_mm256_and_si256(x, select), select);
  }
  static reg expand(std::uint64_t m) {
    return {expand32(static_cast<std::uint32_t>(m)), expand32(static_cast<std::uint32_t>(m >> 32))};
  }

  // One lane up across the whole register: the permute puts the 16 bytes
  // just below each half next to it, and alignr takes the top one of them.
  static __m256i shift_in1(__m256i v, __m256i below) {
    return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(below, v, 0x21), 15);
  }
  static reg shift_in(reg v, reg below) {
    return {shift_in1(v.lo, below.hi), shift_in1(v.hi, v.lo)};
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
    void of(reg x, reg& low, reg& high) const {
      low = {_mm256_shuffle_epi8(low_table, x.lo), _mm256_shuffle_epi8(low_table, x.hi)};
      high = {_mm256_shuffle_epi8(high_table, x.lo), _mm256_shuffle_epi8(high_table, x.hi)};
    }
  };
};

}  // namespace

const table avx2 = simd<avx2_block>::form("avx2");

}  // namespace kernels
