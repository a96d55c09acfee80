// The SIMD kernels on four SSE2 registers per 64-digit block. SSE2 is part
// of every x86-64 CPU. It has no byte shuffle, so the digit products are
// split by ten with 16-bit multiplications instead of table lookups.
#include <emmintrin.h>

#include "bignum/kernels/simd.h"

namespace uhigh_detail::kernels {
namespace {

struct sse2_block {
  struct reg {
    __m128i q[4];
  };

  template <class F>
  static reg each(F f) {
    return {{f(0), f(1), f(2), f(3)}};
  }
  static reg load(const digit* p) {
    return each([&](int k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p) + k); });
  }
  static void store(digit* p, reg v) {
    for (int k = 0; k < 4; ++k)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(p) + k, v.q[k]);
  }
  static reg set1(int x) {
    return each([&](int) { return _mm_set1_epi8(static_cast<char>(x)); });
  }
  static reg add(reg a, reg b) {
    return each([&](int k) { return _mm_add_epi8(a.q[k], b.q[k]); });
  }
  static reg sub(reg a, reg b) {
    return each([&](int k) { return _mm_sub_epi8(a.q[k], b.q[k]); });
  }
  static reg min_u8(reg a, reg b) {
    return each([&](int k) { return _mm_min_epu8(a.q[k], b.q[k]); });
  }

  static reg add64(reg a, reg b) {
    return each([&](int k) { return _mm_add_epi64(a.q[k], b.q[k]); });
  }
  static reg sub64(reg a, reg b) {
    return each([&](int k) { return _mm_sub_epi64(a.q[k], b.q[k]); });
  }

  // One bit per 64-bit lane, from the lanes' sign bits.
  static unsigned bits(reg v) {
    unsigned m = 0;
    for (int k = 0; k < 4; ++k) {
      m |= static_cast<unsigned>(_mm_movemask_pd(_mm_castsi128_pd(v.q[k]))) << (2 * k);
    }
    return m;
  }
  static unsigned signs(reg v) { return bits(v); }
  // SSE2 compares 32-bit halves only: a lane matches when both halves do.
  static unsigned lanes_equal(reg v, __m128i value) {
    return bits(each([&](int k) {
      const __m128i halves = _mm_cmpeq_epi32(v.q[k], value);
      return _mm_and_si128(halves, _mm_shuffle_epi32(halves, 0xB1));
    }));
  }
  static unsigned all_ones(reg v) { return lanes_equal(v, _mm_set1_epi32(-1)); }
  static unsigned all_zeros(reg v) { return lanes_equal(v, _mm_setzero_si128()); }

  // -1 in each 64-bit lane of register k whose bit is set.
  static __m128i lanes(unsigned m, int k) {
    return _mm_set_epi64x(-static_cast<long long>((m >> (2 * k + 1)) & 1),
                          -static_cast<long long>((m >> (2 * k)) & 1));
  }
  static reg increment(reg v, unsigned m) {
    return each([&](int k) { return _mm_sub_epi64(v.q[k], lanes(m, k)); });
  }
  static reg decrement(reg v, unsigned m) {
    return each([&](int k) { return _mm_add_epi64(v.q[k], lanes(m, k)); });
  }

  static reg set1_64(long long x) {
    return each([&](int) { return _mm_set1_epi64x(x); });
  }
  // SSE2 has no 64-bit arithmetic shift: spread each high half's sign.
  static reg sign_lanes(reg v) {
    return each([&](int k) { return _mm_shuffle_epi32(_mm_srai_epi32(v.q[k], 31), 0xF5); });
  }
  static bool any_zero_lane(reg a, reg b) { return (all_zeros(a) | all_zeros(b)) != 0; }
  // 64-bit lanes moved up one, lane 0 taking the top lane of below.
  static reg lanes_up(reg v, reg below) {
    return each([&](int k) {
      const __m128i lower = k == 0 ? below.q[3] : v.q[k - 1];
      return _mm_or_si128(_mm_slli_si128(v.q[k], 8), _mm_srli_si128(lower, 8));
    });
  }

  struct products {
    __m128i factor;
    explicit products(digit m) : factor(_mm_set1_epi16(m)) {}
    // Byte products are at most 81, so a 16-bit multiplication keeps both
    // bytes of a lane apart; v / 10 is (v * 6554) >> 16 for v <= 81.
    static __m128i high_of(__m128i p) {
      const __m128i tenth = _mm_set1_epi16(6554);
      const __m128i high_even = _mm_mulhi_epu16(_mm_and_si128(p, _mm_set1_epi16(0x00FF)), tenth);
      const __m128i high_odd = _mm_mulhi_epu16(_mm_srli_epi16(p, 8), tenth);
      return _mm_or_si128(high_even, _mm_slli_epi16(high_odd, 8));
    }
    reg low(reg x) const {
      return each([&](int k) {
        const __m128i p = _mm_mullo_epi16(x.q[k], factor);
        return _mm_sub_epi8(p, _mm_mullo_epi16(high_of(p), _mm_set1_epi16(10)));
      });
    }
    reg high(reg x) const {
      return each([&](int k) { return high_of(_mm_mullo_epi16(x.q[k], factor)); });
    }
  };
};

}  // namespace

const table sse2 = simd<sse2_block>::form("sse2");

}  // namespace uhigh_detail::kernels
