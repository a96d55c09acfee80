// The word form: eight digits in one 64-bit word (four in a 32-bit one),
// carries moved between the bytes by the word's own binary addition, with no
// division anywhere.
//
// The bias trick. Add 246 (= 256 - 10) to every byte of a digit sum s. The
// byte overflows, passing a binary carry of 1 into the next byte, exactly
// when s plus its incoming carry reaches 10, which is the decimal carry; and
// it then holds s + carry - 10, the right digit. A byte that does not
// overflow holds s + carry + 246, in 246..255, so its top bit is set while
// every correct digit (0..9) has it clear: subtracting 246 from exactly the
// bytes with the top bit set finishes the job without borrowing across
// bytes. Subtraction is the same picture mirrored: one word-wide subtraction
// borrows between bytes exactly when a digit difference goes negative, and
// the bytes that borrowed hold 256 + d (246..255), which minus 246 is d + 10.
//
// Runs shorter than a word, and the tail past the last whole word, go
// through the reference loops.
//
// The word is the machine's own: 64 bits, eight digits a step, where
// registers are 64 bits wide, and 32 bits, four digits a step, on 32-bit
// targets, where each 64-bit step takes two or more instructions (by
// llvm-mca's estimate for a Cortex-A72 in 32-bit mode, 32-bit words run
// sums 1.2 times and digit products 1.8 times as fast; tools/mca.py).
// UHIGH_WORD_BITS=32 or 64 overrides the choice, for that estimate.
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "bignum/kernels/forms.h"
#include "bignum/kernels/word_product.h"

#if !defined(UHIGH_WORD_BITS)
#define UHIGH_WORD_BITS (SIZE_MAX > 0xFFFFFFFFu ? 64 : 32)
#endif

namespace uhigh_detail::kernels {
namespace {

using word_t = std::conditional_t<UHIGH_WORD_BITS == 64, std::uint64_t, std::uint32_t>;
constexpr word_t ones = ~word_t{0} / 0xFF;  // 0x0101...01 at either width
constexpr word_t bias = 0xF6 * ones;        // 246 in every byte
constexpr std::size_t width = sizeof(word_t);

// Digit 0 in the low byte on either byte order: a word as loaded from or
// stored to memory, in the order the arithmetic wants.
word_t little_endian(word_t w) {
  if constexpr (std::endian::native == std::endian::little) {
    return w;
  } else if constexpr (width == 8) {
    return __builtin_bswap64(w);
  } else {
    return __builtin_bswap32(w);
  }
}

word_t load(const digit* p) {
  word_t w;
  std::memcpy(&w, p, sizeof w);
  return little_endian(w);
}

void store(digit* p, word_t w) {
  w = little_endian(w);
  std::memcpy(p, &w, sizeof w);
}

// Bytes that hold 246..255 (top bit set) lose their bias.
word_t unbias(word_t w) { return w - ((w >> 7) & ones) * 0xF6; }

// Digit sums s (each byte at most 18) plus carry: the digits, and the carry
// out of the top byte through c.
word_t settle_sum(word_t s, word_t& c) {
  word_t biased;
  word_t total;
  const bool high = __builtin_add_overflow(s, bias, &biased);
  const bool higher = __builtin_add_overflow(biased, c, &total);
  c = high || higher;
  return unbias(total);
}

}  // namespace

namespace word_form {

digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit carry) {
  expect_run(r, a, n);
  expect_run(r, b, n);
  expect_digit(carry, 1);
  word_t c = static_cast<word_t>(carry);
  std::size_t i = 0;
  for (; i + width <= n; i += width) {
    // Bytes of a + b are at most 18: the addition carries between no bytes.
    store(r + i, settle_sum(load(a + i) + load(b + i), c));
  }
  return reference.add(r + i, a + i, b + i, n - i, static_cast<digit>(c));
}

digit add_carry(digit* r, const digit* a, std::size_t n, digit carry) {
  expect_run(r, a, n);
  expect_digit(carry, 1);
  word_t c = static_cast<word_t>(carry);
  std::size_t i = 0;
  for (; i + width <= n; i += width)
    store(r + i, settle_sum(load(a + i), c));
  return reference.add_carry(r + i, a + i, n - i, static_cast<digit>(c));
}

digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow) {
  expect_run(r, a, n);
  expect_run(r, b, n);
  expect_digit(borrow, 1);
  word_t c = static_cast<word_t>(borrow);
  std::size_t i = 0;
  for (; i + width <= n; i += width) {
    word_t difference;
    word_t total;
    const bool low = __builtin_sub_overflow(load(a + i), load(b + i), &difference);
    const bool lower = __builtin_sub_overflow(difference, c, &total);
    c = low || lower;
    store(r + i, unbias(total));
  }
  return reference.sub(r + i, a + i, b + i, n - i, static_cast<digit>(c));
}

digit sub_borrow(digit* r, const digit* a, std::size_t n, digit borrow) {
  expect_run(r, a, n);
  expect_digit(borrow, 1);
  word_t c = static_cast<word_t>(borrow);
  std::size_t i = 0;
  for (; i + width <= n; i += width) {
    word_t total;
    c = __builtin_sub_overflow(load(a + i), c, &total);
    store(r + i, unbias(total));
  }
  return reference.sub_borrow(r + i, a + i, n - i, static_cast<digit>(c));
}

// a * m splits per position into 10 * high + low (high 0..8, low 0..9).
// Position i of the result collects low[i] + high[i-1] (at most 17, with the
// incoming carry as high[-1]), and those sums settle with the bias trick. The
// carry into the next word is its top high digit plus the settling carry;
// the whole product's bound keeps that at most 8.
digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit carry) {
  expect_run(r, a, n);
  expect_digit(m, 9);
  expect_digit(carry, 8);
  constexpr word_t even = ~word_t{0} / 0xFFFF * 0xFF;    // 0x00FF00FF...
  constexpr word_t nibble = ~word_t{0} / 0xFFFF * 0x0F;  // 0x000F000F...
  const word_t factor = static_cast<word_t>(m);
  word_t high_in = static_cast<word_t>(carry);  // high digit of the position below
  word_t c = 0;
  std::size_t i = 0;
  for (; i + width <= n; i += width) {
    // Each byte product is at most 81: no carry between bytes.
    const word_t product = load(a + i) * factor;
    // v / 10 == (v * 205) >> 11 for 0 <= v <= 81, done in 16-bit lanes (v *
    // 205 <= 16605 fits); after the shift a lane's low four bits are its
    // quotient and the bits above come from the next lane, so mask them.
    const word_t high_even = (((product & even) * 205) >> 11) & nibble;
    const word_t high_odd = ((((product >> 8) & even) * 205) >> 11) & nibble;
    const word_t high = high_even | high_odd << 8;
    const word_t low = product - high * 10;  // per byte: at most 80 taken away
    const word_t sum = low + (high << 8 | high_in);
    high_in = high >> (8 * width - 8);
    store(r + i, settle_sum(sum, c));
  }
  return reference.mul_digit(r + i, a + i, n - i, m, static_cast<digit>(high_in + c));
}

// Groups of eight digits, k in three pieces of 10^8: a 64-bit product per
// piece and group, one division by a constant per group.
std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
  expect_run(r, a, n);
  return word_product<8, 3>(k).multiply(r, a, n);
}

}  // namespace word_form

const table word = {.name = "word",
                    .add = word_form::add,
                    .add_carry = word_form::add_carry,
                    .sub = word_form::sub,
                    .sub_borrow = word_form::sub_borrow,
                    .mul_digit = word_form::mul_digit,
                    .mul_word = word_form::mul_word};

}  // namespace uhigh_detail::kernels
