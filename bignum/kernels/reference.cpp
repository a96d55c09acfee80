// The reference form: one digit per step, every digit sum split by
// split_decimal into the digit that stays and the carry that moves on. These
// loops are the definition of each kernel's result; keep them plain.
#include "bignum/kernels/table.h"
#include "bignum/split_decimal.h"

namespace uhigh_detail::kernels {
namespace {

using uhigh_detail::decimal_high;
using uhigh_detail::decimal_low;
using uhigh_detail::split_decimal;

digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit carry) {
  expect_run(r, a, n);
  expect_run(r, b, n);
  expect_digit(carry, 1);
  for (std::size_t i = 0; i < n; ++i) {
    // At most 9 + 9 + 1 = 19, well inside a signed byte.
    const std::uint16_t split = split_decimal(static_cast<digit>(a[i] + b[i] + carry));
    r[i] = decimal_low(split);
    carry = decimal_high(split);
  }
  return carry;
}

digit add_carry(digit* r, const digit* a, std::size_t n, digit carry) {
  expect_run(r, a, n);
  expect_digit(carry, 1);
  for (std::size_t i = 0; i < n; ++i) {
    const auto sum = static_cast<digit>(a[i] + carry);
    carry = (carry != 0 && sum >= 10) ? 1 : 0;
    r[i] = decimal_low(split_decimal(sum));
  }
  return carry;
}

// One position of a subtraction: a difference of -10..9 becomes the digit
// it leaves, and the borrow is set for the next position.
digit settle_difference(digit difference, digit& borrow) {
  if (difference < 0) {
    borrow = 1;
    return static_cast<digit>(difference + 10);
  }
  const std::uint16_t split = split_decimal(difference);
  borrow = decimal_high(split);
  return decimal_low(split);
}

digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow) {
  expect_run(r, a, n);
  expect_run(r, b, n);
  expect_digit(borrow, 1);
  for (std::size_t i = 0; i < n; ++i) {
    // Between 0 - 9 - 1 = -10 and 9.
    r[i] = settle_difference(static_cast<digit>(a[i] - (b[i] + borrow)), borrow);
  }
  return borrow;
}

digit sub_borrow(digit* r, const digit* a, std::size_t n, digit borrow) {
  expect_run(r, a, n);
  expect_digit(borrow, 1);
  for (std::size_t i = 0; i < n; ++i) {
    r[i] = settle_difference(static_cast<digit>(a[i] - borrow), borrow);
  }
  return borrow;
}

digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit carry) {
  expect_run(r, a, n);
  expect_digit(m, 9);
  expect_digit(carry, 8);
  const digit multiplier = decimal_low(split_decimal(m));
  for (std::size_t i = 0; i < n; ++i) {
    // At most 9 * 9 + 8 = 89, so the carry stays 0..8.
    const std::uint16_t split = split_decimal(static_cast<digit>(multiplier * a[i] + carry));
    r[i] = decimal_low(split);
    carry = decimal_high(split);
  }
  return carry;
}

// Long multiplication by k's decimal digits, column by column: column i
// sums a[i - j] * k[j] over k's digits j (at most 20 * 81) and the carry
// (at most 180). The last digits of a read are kept in a window, so each is
// read before its place is written and r may be a.
std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
  expect_run(r, a, n);
  digit k_digits[20] = {};
  std::size_t count = 0;
  for (; k != 0; k /= 10)
    k_digits[count++] = static_cast<digit>(k % 10);
  digit window[20] = {};  // window[j] = a[i - j], zero below a
  std::uint64_t carry = 0;
  std::uint64_t high = 0;  // the digits from position n up, as a number
  std::uint64_t scale = 1;
  // The product has at most n + count digits: after those columns nothing
  // is left to carry.
  for (std::size_t i = 0; i < n + count; ++i) {
    for (std::size_t j = count; j-- > 1;)
      window[j] = window[j - 1];
    window[0] = i < n ? a[i] : 0;
    std::uint64_t sum = carry;
    for (std::size_t j = 0; j < count; ++j)
      sum += static_cast<std::uint64_t>(k_digits[j] * window[j]);
    const auto d = static_cast<digit>(sum % 10);
    carry = sum / 10;
    if (i < n) {
      r[i] = d;
    } else {
      high += static_cast<std::uint64_t>(d) * scale;  // below k, so the 20th digit is the last
      scale *= 10;
    }
  }
  return high;
}

}  // namespace

const table reference = {.name = "reference",
                         .add = add,
                         .add_carry = add_carry,
                         .sub = sub,
                         .sub_borrow = sub_borrow,
                         .mul_digit = mul_digit,
                         .mul_word = mul_word};

}  // namespace uhigh_detail::kernels
