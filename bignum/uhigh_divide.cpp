// Truncating division of uhigh values: both operands packed into limbs and
// divided there (limbs/divide.cpp chooses the method by size), or, where the
// compiler has no 128-bit integers, digit by digit long division.
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "bignum/limbs/limbs.h"
#include "bignum/uhigh.h"

std::pair<uhigh, uhigh> divmod(const uhigh& dividend, const uhigh& divisor) {
  if (divisor.is_zero()) throw std::domain_error("uhigh: division by zero");
  if (dividend < divisor) return {uhigh(0), dividend};
#if UHIGH_PACKED
  namespace limbs = uhigh_detail::limbs;
  // Both operands are read into limbs before anything is written, so
  // divisor may be dividend, and either may be an object that the caller
  // assigns a result to.
  const std::size_t na = limbs::limbs_for(dividend.length), nb = limbs::limbs_for(divisor.length);
  const std::unique_ptr<limbs::limb[]> space(new limbs::limb[2 * na + 2 * nb]);
  limbs::limb* a = space.get();
  limbs::limb* b = a + na;
  limbs::limb* q = b + nb;
  limbs::limb* r = q + (na - nb + 1);
  limbs::pack(a, dividend.digits, dividend.length);
  limbs::pack(b, divisor.digits, divisor.length);
  limbs::divmod(q, r, a, na, b, nb);
  std::pair<uhigh, uhigh> result{uhigh(0), uhigh(0)};
  // Each starts as a one-digit zero, so it takes the limbs as a value at
  // least as long as its own.
  result.first.take_limbs(q, na - nb + 1);
  result.second.take_limbs(r, nb);
  return result;
#else
  // Long division one digit at a time: the remainder takes the next digit
  // of the dividend, then gives up the divisor as often as it holds it
  // (at most nine times). O(9 q d) digit steps.
  std::string quotient(dividend.length, '0');
  uhigh rest(0);
  for (std::uint32_t i = dividend.length; i-- > 0;) {
    rest *= std::uint8_t{10};
    rest += uhigh(static_cast<int>(dividend.digits[i]));
    char count = '0';
    while (!(rest < divisor)) {
      rest -= divisor;
      ++count;
    }
    quotient[dividend.length - 1 - i] = count;
  }
  const std::size_t first = quotient.find_first_not_of('0');  // the quotient is >= 1
  return {uhigh(std::string_view(quotient).substr(first)), std::move(rest)};
#endif
}

void uhigh::operator/=(const uhigh& divisor) { *this = std::move(divmod(*this, divisor).first); }

void uhigh::operator%=(const uhigh& divisor) { *this = std::move(divmod(*this, divisor).second); }
