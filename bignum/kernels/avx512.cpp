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

#include <algorithm>

#include "bignum/kernels/simd.h"
#include "bignum/kernels/word_product.h"

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

// The product by a 64-bit word k, 64 digits a step in sixteen 32-bit lanes
// of four digits each (w, below 10^4), with k in five pieces of 10^4
// (word_product<4, 5>). Lane h's column, w[h] k0 + ... + w[h - 4] k4, is
// below 4.2 * 10^8: three 16-bit multiply-adds (VPMADDWD) on lanes that
// hold two neighbouring groups each. The columns then settle in three
// rounds, each moving a lane's excess one lane up:
//  1. q = column / 10^4 (below 42,000; by a multiply and shift exact below
//     5 * 10^9), leaving lane values below 10^4 + 42,000;
//  2. the same with q below 6 (in 16-bit arithmetic), leaving values below
//     10^4 + 6;
//  3. the last carries are 0 or 1 and move like an addition's: a lane of
//     10^4 or more generates one, a lane of 9999 passes one on, resolved
//     for all sixteen lanes at once as in carries_into.
// What each round moves out of the top lane, and the products of the top
// four groups by the higher pieces, go to the next block. The last partial
// block is loaded and stored with masks, zeros above; the digits it
// computes past n, and what is still pending above the block, are the
// carry out, which is below k.
std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
  const word_product<4, 5> product(k);
  const std::uint64_t* piece = product.piece;
  const auto pair_of = [](std::uint64_t low, std::uint64_t high) {
    return _mm512_set1_epi32(static_cast<int>(low | high << 16));
  };
  const __m512i k01 = pair_of(piece[0], piece[1]);
  const __m512i k23 = pair_of(piece[2], piece[3]);
  const __m512i k4 = pair_of(piece[4], 0);
  const __m512i tens = _mm512_set1_epi16(0x0A01);          // bytes 1, 10
  const __m512i hundreds = _mm512_set1_epi32(0x00640001);  // 16-bit 1, 100
  const __m512i ten4 = _mm512_set1_epi32(10000);
  // u / 10^4 == (u * 109951163) >> 40 for u < 5 * 10^9: the multiplier
  // exceeds 2^40 / 10^4 by under 2 * 10^-7 of a unit, too little to carry
  // any u below that bound past a multiple of 10^4.
  const __m512i inverse = _mm512_set1_epi64(109951163);
  const __m512i odd_lanes = _mm512_set1_epi64(static_cast<long long>(0xFFFFFFFF00000000u));
  __m512i w_below = _mm512_setzero_si512(), pair_below = w_below, q_below = w_below,
          q2_below = w_below;
  unsigned c = 0;
  const auto step = [&](__m512i bytes) {
    const __m512i w = _mm512_madd_epi16(_mm512_maddubs_epi16(bytes, tens), hundreds);
    // (w[h], w[h - 1]), (w[h - 2], w[h - 3]) and w[h - 4] in lane h.
    const __m512i pair =
        _mm512_or_si512(w, _mm512_slli_epi32(_mm512_alignr_epi32(w, w_below, 15), 16));
    const __m512i pair2 = _mm512_alignr_epi32(pair, pair_below, 14);
    const __m512i w4 = _mm512_alignr_epi32(w, w_below, 12);
    const __m512i column = _mm512_add_epi32(
        _mm512_add_epi32(_mm512_madd_epi16(pair, k01), _mm512_madd_epi16(pair2, k23)),
        _mm512_madd_epi16(w4, k4));
    // Round 1, the even and odd lanes' quotients by 64-bit products.
    const __m512i q_even = _mm512_srli_epi64(_mm512_mul_epu32(column, inverse), 40);
    const __m512i q_odd = _mm512_and_si512(
        _mm512_srli_epi64(_mm512_mul_epu32(_mm512_srli_epi64(column, 32), inverse), 8), odd_lanes);
    const __m512i q = _mm512_or_si512(q_even, q_odd);
    const __m512i s = _mm512_add_epi32(_mm512_sub_epi32(column, _mm512_mullo_epi32(q, ten4)),
                                       _mm512_alignr_epi32(q, q_below, 15));
    // Round 2: s < 2^16, and s / 10^4 == ((s >> 4) * 839 >> 16) >> 3 there
    // (through 625 = 10^4 / 16, with an error under 1/625).
    const __m512i q2 =
        _mm512_srli_epi16(_mm512_mulhi_epu16(_mm512_srli_epi16(s, 4), _mm512_set1_epi16(839)), 3);
    __m512i f = _mm512_add_epi32(_mm512_sub_epi16(s, _mm512_mullo_epi16(q2, ten4)),
                                 _mm512_alignr_epi32(q2, q2_below, 15));
    // Round 3.
    const unsigned g = _mm512_cmpge_epu32_mask(f, ten4);
    const unsigned p = _mm512_cmpeq_epi32_mask(f, _mm512_set1_epi32(9999));
    const unsigned total = (g | p) + g + c;
    c = total >> 16;
    f = _mm512_mask_add_epi32(f, static_cast<__mmask16>(total ^ p), f, _mm512_set1_epi32(1));
    f = _mm512_mask_sub_epi32(f, _mm512_cmpge_epu32_mask(f, ten4), f, ten4);
    w_below = w;
    pair_below = pair;
    q_below = q;
    q2_below = q2;
    // Four digits per lane: f / 100 == (f * 5243) >> 19 for f < 43699, and
    // v / 10 == (v * 6554) >> 16 for v < 100.
    const __m512i hundreds_digit =
        _mm512_srli_epi16(_mm512_mulhi_epu16(f, _mm512_set1_epi16(5243)), 3);
    const __m512i two = _mm512_or_si512(
        _mm512_sub_epi16(f, _mm512_mullo_epi16(hundreds_digit, _mm512_set1_epi16(100))),
        _mm512_slli_epi32(hundreds_digit, 16));
    const __m512i tens_digit = _mm512_mulhi_epu16(two, _mm512_set1_epi16(6554));
    return _mm512_or_si512(
        _mm512_sub_epi16(two, _mm512_mullo_epi16(tens_digit, _mm512_set1_epi16(10))),
        _mm512_slli_epi16(tens_digit, 8));
  };
  std::size_t i = 0;
  for (; i + block <= n; i += block)
    _mm512_storeu_si512(r + i, step(_mm512_loadu_si512(a + i)));
  // The carry out: the digits of a partial last block past n, then what is
  // pending above the block, at 10^(64 - shown). The carry is below k <
  // 10^20, so a digit or a pending value further up than that is zero.
  std::uint64_t high = 0;
  std::size_t shown = block;
  if (i < n) {
    shown = n - i;
    alignas(64) digit out[block];
    const __m512i digits = step(avx512_block::load_partial(a + i, shown));
    _mm512_store_si512(out, digits);
    avx512_block::store_partial(r + i, digits, shown);
    for (std::size_t d = std::min(block, shown + 20); d-- > shown;)
      high = high * 10 + static_cast<std::uint64_t>(out[d]);
  }
  if (block - shown >= 20) return high;
  alignas(64) std::uint32_t w[16], q[16], q2[16];
  _mm512_store_si512(w, w_below);
  _mm512_store_si512(q, q_below);
  _mm512_store_si512(q2, q2_below);
  std::uint64_t pending = c + std::uint64_t{q[15]} + q2[15];
  std::uint64_t scale = 1;
  for (unsigned above = 0; above < 4; ++above, scale *= 10000) {
    std::uint64_t sum = 0;
    for (unsigned j = above + 1; j < 5; ++j)
      sum += std::uint64_t{w[15 - (j - above - 1)]} * piece[j];
    pending += sum * scale;
  }
  return high + pending * power_of_ten(static_cast<unsigned>(block - shown));
}

}  // namespace

const table avx512 = [] {
  table form = simd<avx512_block>::form("avx512");
  form.mul_word = mul_word;
  return form;
}();

}  // namespace uhigh_kernels
