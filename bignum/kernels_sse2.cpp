// The SIMD kernels on four SSE2 registers per 64-digit block. SSE2 is part
// of every x86-64 CPU. It has no byte shuffle, so the digit products are
// split by ten with 16-bit multiplications instead of table lookups.
#include "bignum/kernels_x86_simd.h"

namespace kernels {
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

  // One bit per lane from the lanes' top bits.
  static std::uint64_t bits(reg v) {
    std::uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
      m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v.q[k])) & 0xFFFFu)
           << (16 * k);
    }
    return m;
  }
  static std::uint64_t above_nine(reg v) {
    return bits(each([&](int k) { return _mm_cmpgt_epi8(v.q[k], _mm_set1_epi8(9)); }));
  }
  static std::uint64_t equal(reg v, int x) {
    const __m128i value = _mm_set1_epi8(static_cast<char>(x));
    return bits(each([&](int k) { return _mm_cmpeq_epi8(v.q[k], value); }));
  }
  static std::uint64_t negative(reg v) { return bits(v); }

  // 0xFF in each lane whose bit is set: lane j of register k takes byte
  // j / 8 of that register's 16 mask bits, spread by the unpacks, and tests
  // its own bit in it.
  static reg expand(std::uint64_t m) {
    const __m128i select = _mm_set1_epi64x(static_cast<long long>(0x8040201008040201u));
    return each([&](int k) {
      __m128i x = _mm_cvtsi32_si128(static_cast<int>((m >> (16 * k)) & 0xFFFF));
      x = _mm_unpacklo_epi8(x, x);
      x = _mm_unpacklo_epi16(x, x);
      x = _mm_unpacklo_epi32(x, x);
      return _mm_cmpeq_epi8(_mm_and_si128(x, select), select);
    });
  }

  // v moved up one lane, lane 0 taking the top lane of below.
  static reg shift_in(reg v, reg below) {
    return each([&](int k) {
      const __m128i lower = k == 0 ? below.q[3] : v.q[k - 1];
      return _mm_or_si128(_mm_slli_si128(v.q[k], 1), _mm_srli_si128(lower, 15));
    });
  }

  struct products {
    __m128i factor;
    explicit products(digit m) : factor(_mm_set1_epi16(m)) {}
    // Byte products are at most 81, so a 16-bit multiplication keeps both
    // bytes of a lane apart; v / 10 is (v * 6554) >> 16 for v <= 81.
    void of(reg x, reg& low, reg& high) const {
      const __m128i even = _mm_set1_epi16(0x00FF);
      const __m128i tenth = _mm_set1_epi16(6554);
      const __m128i ten = _mm_set1_epi16(10);
      for (int k = 0; k < 4; ++k) {
        const __m128i p = _mm_mullo_epi16(x.q[k], factor);
        const __m128i high_even = _mm_mulhi_epu16(_mm_and_si128(p, even), tenth);
        const __m128i high_odd = _mm_mulhi_epu16(_mm_srli_epi16(p, 8), tenth);
        high.q[k] = _mm_or_si128(high_even, _mm_slli_epi16(high_odd, 8));
        low.q[k] = _mm_sub_epi8(p, _mm_mullo_epi16(high.q[k], ten));
      }
    }
  };
};

}  // namespace

const table sse2 = simd<sse2_block>::form("sse2");

}  // namespace kernels
