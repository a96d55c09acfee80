// The product of a digit run by one 64-bit word on SIMD registers, written
// once over a type U of sixteen 32-bit lanes (64 digits, four to a lane) and
// included by the files of the instruction sets that have the 16-bit
// multiply-adds it needs (avx2.cpp, avx512.cpp). Internal linkage, as in
// simd.h.
//
// Lane h holds w[h], four digits (below 10^4); k is in five pieces of 10^4
// (word_product<4, 5>). Lane h's column, w[h] k0 + ... + w[h - 4] k4, is
// below 4.2 * 10^8: three 16-bit multiply-adds (PMADDWD) on lanes that hold
// two neighbouring groups each. The columns then settle in three rounds,
// each moving a lane's excess one lane up:
//  1. q = column / 10^4 (below 42,000), leaving values below 10^4 + 42,000;
//  2. the same with q below 6, in 16-bit arithmetic, leaving values below
//     10^4 + 6;
//  3. the last carries are 0 or 1 and move like an addition's: a lane of
//     10^4 or more generates one, a lane of 9999 passes one on, resolved for
//     all sixteen lanes at once as in carries_into.
// What each round moves out of the top lane, and the products of the top
// four groups by the higher pieces, go to the next block. The last partial
// block is read and written through the set's partial loads and stores,
// zeros above; the digits it computes past n, and what is still pending
// above the block, are the carry out, which is below k.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "bignum/kernels/simd.h"
#include "bignum/kernels/word_product.h"

namespace uhigh_detail::kernels {
namespace {

template <class U>
std::uint64_t simd_mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
  expect_run(r, a, n);
  using reg = typename U::reg;
  const word_product<4, 5> product(k);
  const std::uint64_t* piece = product.piece;
  const auto pair_of = [](std::uint64_t low, std::uint64_t high) {
    return U::set1_32(static_cast<std::uint32_t>(low | high << 16));
  };
  const reg k01 = pair_of(piece[0], piece[1]);
  const reg k23 = pair_of(piece[2], piece[3]);
  const reg k4 = pair_of(piece[4], 0);
  const reg tens = U::set1_16(0x0A01);          // bytes 1, 10
  const reg hundreds = U::set1_32(0x00640001);  // 16-bit halves 1, 100
  const reg ten4 = U::set1_32(10000);
  // u / 10^4 == (u * 109951163) >> 40 for u < 5 * 10^9: the multiplier
  // exceeds 2^40 / 10^4 by under 2 * 10^-7 of a unit, too little to carry
  // any u below that bound past a multiple of 10^4.
  const reg inverse = U::set1_64(109951163);
  const reg odd_lanes = U::set1_64(0xFFFFFFFF00000000u);
  reg w_below = U::zero(), pair_below = w_below, q_below = w_below, q2_below = w_below;
  unsigned c = 0;
  const auto step = [&](reg bytes) {
    const reg w = U::madd16(U::maddubs(bytes, tens), hundreds);
    // (w[h], w[h - 1]), (w[h - 2], w[h - 3]) and w[h - 4] in lane h.
    const reg pair = U::or_(w, U::template slli32<16>(U::template up<1>(w, w_below)));
    const reg pair2 = U::template up<2>(pair, pair_below);
    const reg w4 = U::template up<4>(w, w_below);
    const reg column =
        U::add32(U::add32(U::madd16(pair, k01), U::madd16(pair2, k23)), U::madd16(w4, k4));
    // Round 1: the even and odd lanes' quotients by 64-bit products.
    const reg q_even = U::template srli64<40>(U::mul_even(column, inverse));
    const reg q_odd = U::and_(
        U::template srli64<8>(U::mul_even(U::template srli64<32>(column), inverse)), odd_lanes);
    const reg q = U::or_(q_even, q_odd);
    const reg s = U::add32(U::sub32(column, U::mullo32(q, ten4)), U::template up<1>(q, q_below));
    // Round 2: s < 2^16, and s / 10^4 == ((s >> 4) * 839 >> 16) >> 3 there
    // (through 625 = 10^4 / 16, with an error under 1/625).
    const reg q2 = U::template srli16<3>(U::mulhi16(U::template srli16<4>(s), U::set1_16(839)));
    reg f = U::add32(U::sub16(s, U::mullo16(q2, ten4)), U::template up<1>(q2, q2_below));
    // Round 3.
    const unsigned g = U::at_least(f, 10000);
    const unsigned p = U::equal(f, 9999);
    const unsigned total = (g | p) + g + c;
    c = total >> 16;
    f = U::add_one(f, (total ^ p) & 0xFFFFu);
    // 10^4 off the lanes that reached it: f - 10^4 wraps above f in the
    // others, so the unsigned minimum picks the right one in both.
    f = U::min32(f, U::sub32(f, ten4));
    w_below = w;
    pair_below = pair;
    q_below = q;
    q2_below = q2;
    // Four digits per lane: f / 100 == (f * 5243) >> 19 for f < 43699, and
    // v / 10 == (v * 6554) >> 16 for v < 100.
    const reg hundred = U::template srli16<3>(U::mulhi16(f, U::set1_16(5243)));
    const reg two =
        U::or_(U::sub16(f, U::mullo16(hundred, U::set1_16(100))), U::template slli32<16>(hundred));
    const reg ten = U::mulhi16(two, U::set1_16(6554));
    return U::or_(U::sub16(two, U::mullo16(ten, U::set1_16(10))), U::template slli16<8>(ten));
  };
  std::size_t i = 0;
  for (; i + block <= n; i += block)
    U::store(r + i, step(U::load(a + i)));
  // The carry out: the digits of a partial last block past n, then what is
  // pending above the block, at 10^(64 - shown). The carry is below k <
  // 10^20, so a digit or a pending value further up than that is zero.
  std::uint64_t high = 0;
  std::size_t shown = block;
  if (i < n) {
    shown = n - i;
    alignas(64) digit out[block];
    const reg digits = step(U::load_partial(a + i, shown));
    U::store(out, digits);
    U::store_partial(r + i, out, digits, shown);
    for (std::size_t d = std::min(block, shown + 20); d-- > shown;)
      high = high * 10 + static_cast<std::uint64_t>(out[d]);
  }
  if (block - shown >= 20) return high;
  alignas(64) std::uint32_t w[16], q[16], q2[16];
  U::store(reinterpret_cast<digit*>(w), w_below);
  U::store(reinterpret_cast<digit*>(q), q_below);
  U::store(reinterpret_cast<digit*>(q2), q2_below);
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
}  // namespace uhigh_detail::kernels
