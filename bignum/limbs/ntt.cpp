// Multiplication of long limb runs by number-theoretic transforms: the
// cyclic convolution of the two runs modulo three primes below 2^62, put
// back together exactly by the Chinese remainder theorem (Garner's method)
// and carried in base 10^19.
//
// Why it is exact: a column of the product sums at most min(na, nb)
// products of two limbs, each below 10^38, so below min(na, nb) * 10^38,
// which for any run a uhigh can hold (under 2^28 limbs) is far below the
// primes' product, about 2^186. Each residue is computed exactly, so the
// column is recovered exactly; no rounding enters anywhere.
#include <algorithm>
#include <memory>

#include "bignum/limbs/limbs.h"

#if UHIGH_PACKED

namespace uhigh_detail::limbs {
namespace {

// p = c * 2^32 + 1, so transforms of up to 2^32 points exist; 3 generates
// the multiplicative group of the first and third, 19 that of the second.
struct field {
  limb p;
  limb generator;
  limb negated_inverse;  // -1/p modulo 2^64, for Montgomery reduction
};

constexpr limb negated_inverse_of(limb p) {
  limb x = p;  // correct to 3 bits (p * p = 1 mod 8 for odd p); Newton doubles that
  for (int i = 0; i < 5; ++i)
    x *= 2 - p * x;
  return 0 - x;
}

constexpr field fields[3] = {
    {4611685941117976577u, 3, negated_inverse_of(4611685941117976577u)},
    {4611685692009873409u, 19, negated_inverse_of(4611685692009873409u)},
    {4611685606110527489u, 3, negated_inverse_of(4611685606110527489u)},
};

// Montgomery reduction: t / 2^64 modulo p, for t < p * 2^64, fully
// reduced. t + m p < 2 p 2^64 < 2^127 for p < 2^62, so nothing overflows.
inline limb reduce(const field& f, wide t) {
  const limb m = static_cast<limb>(t) * f.negated_inverse;
  const limb u = static_cast<limb>((t + wide{m} * f.p) >> 64);
  return u >= f.p ? u - f.p : u;
}

// a * b / 2^64 modulo p: with b held as b 2^64 mod p (Montgomery form),
// the plain product a b mod p.
inline limb mul(const field& f, limb a, limb b) { return reduce(f, wide{a} * b); }

// x 2^64 mod p (Montgomery form of x), by plain division: for constants.
limb montgomery(const field& f, limb x) { return static_cast<limb>((wide{x % f.p} << 64) % f.p); }

limb power(const field& f, limb x, limb e) {  // plain x^e mod p
  wide result = 1, b = x % f.p;
  for (; e != 0; e >>= 1, b = b * b % f.p)
    if (e & 1) result = result * b % f.p;
  return static_cast<limb>(result);
}

limb inverse_of(const field& f, limb x) { return power(f, x, f.p - 2); }

// roots[len + j] = w_{2 len}^j in Montgomery form, for len = 1, 2, 4, ...,
// n / 2 and j < len: the twiddles of every stage, n entries in all.
void make_roots(const field& f, limb* roots, std::size_t n, bool inverse) {
  for (std::size_t len = 1; len < n; len *= 2) {
    limb w = power(f, f.generator, (f.p - 1) / (2 * len));
    if (inverse) w = inverse_of(f, w);
    const limb w_mont = montgomery(f, w);
    limb x = montgomery(f, 1);
    for (std::size_t j = 0; j < len; ++j) {
      roots[len + j] = x;
      x = mul(f, x, w_mont);  // (x 2^64)(w 2^64) / 2^64: x w, still in Montgomery form
    }
  }
}

// The butterflies' arithmetic with the field's constants in registers (a
// reference to the field would be reloaded after every store, as the
// stores might alias it), and without branches: which way a comparison of
// two residues goes is a coin toss, so a branch would mispredict half the
// time.
struct registers {
  limb p, negated_inverse;
  explicit registers(const field& f) : p(f.p), negated_inverse(f.negated_inverse) {}
  limb reduce(wide t) const {
    const limb m = static_cast<limb>(t) * negated_inverse;
    const limb u = static_cast<limb>((t + wide{m} * p) >> 64);
    return u >= p ? u - p : u;
  }
  limb add(limb u, limb v) const {
    const limb s = u + v;
    return s >= p ? s - p : s;
  }
};

// Decimation in frequency: natural order in, bit-reversed order out.
void forward(const field& f, limb* a, std::size_t n, const limb* roots) {
  const registers k(f);
  for (std::size_t len = n / 2; len >= 1; len /= 2) {
    for (std::size_t start = 0; start < n; start += 2 * len) {
      limb* x = a + start;
      limb* y = x + len;
      const limb* w = roots + len;
      for (std::size_t j = 0; j < len; ++j) {
        const limb u = x[j], v = y[j];
        x[j] = k.add(u, v);
        // u - v + p lies in (0, 2p): its product with a twiddle below p is
        // below 2 p^2 < p 2^64, all the reduction needs; no correction first.
        y[j] = k.reduce(wide{u + k.p - v} * w[j]);
      }
    }
  }
}

// Decimation in time: bit-reversed order in, natural order out.
void backward(const field& f, limb* a, std::size_t n, const limb* roots) {
  const registers k(f);
  for (std::size_t len = 1; len < n; len *= 2) {
    for (std::size_t start = 0; start < n; start += 2 * len) {
      limb* x = a + start;
      limb* y = x + len;
      const limb* w = roots + len;
      for (std::size_t j = 0; j < len; ++j) {
        const limb u = x[j], v = k.reduce(wide{y[j]} * w[j]);
        x[j] = k.add(u, v);
        y[j] = k.add(u, k.p - v);  // v < p, so p - v is in (0, p]
      }
    }
  }
}

// The cyclic convolution of a and b modulo f.p, of n points, into out.
void convolve(const field& f, limb* out, const limb* a, std::size_t na, const limb* b,
              std::size_t nb, std::size_t n, limb* work) {
  limb* roots = work;
  limb* other = work + n;
  // Limbs are below 10^19 < 3p: at most two subtractions reduce them.
  const auto load = [&](limb* to, const limb* from, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
      limb v = from[i];
      if (v >= f.p) v -= f.p;
      if (v >= f.p) v -= f.p;
      to[i] = v;
    }
    std::fill(to + count, to + n, 0);
  };
  make_roots(f, roots, n, false);
  load(out, a, na);
  forward(f, out, n, roots);
  const bool square = a == b && na == nb;
  if (!square) {
    load(other, b, nb);
    forward(f, other, n, roots);
  }
  // Each pointwise product also takes the inverse transform's 1/n; as both
  // multiplications divide by 2^64, the scale is held as n^-1 2^128 mod p.
  const limb scale = montgomery(f, static_cast<limb>((wide{inverse_of(f, n)} << 64) % f.p));
  const limb* second = square ? out : other;
  for (std::size_t i = 0; i < n; ++i)
    out[i] = mul(f, mul(f, out[i], second[i]), scale);
  make_roots(f, roots, n, true);
  backward(f, out, n, roots);
}

}  // namespace

void mul_ntt(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  std::size_t n = 1;
  while (n < na + nb - 1)
    n *= 2;
  const std::unique_ptr<limb[]> space(new limb[5 * n]);
  limb* residue[3] = {space.get(), space.get() + n, space.get() + 2 * n};
  for (int k = 0; k < 3; ++k)
    convolve(fields[k], residue[k], a, na, b, nb, n, space.get() + 3 * n);

  // Garner: x = r0 + p0 t1 + p0 p1 t2, each t below its prime.
  const field &f0 = fields[0], &f1 = fields[1], &f2 = fields[2];
  const limb inv_p0_mod_p1 = montgomery(f1, inverse_of(f1, f0.p % f1.p));
  const limb p0_mod_p2 = montgomery(f2, f0.p % f2.p);
  const limb inv_p0p1_mod_p2 =
      montgomery(f2, inverse_of(f2, static_cast<limb>(wide{f0.p % f2.p} * (f1.p % f2.p) % f2.p)));
  const wide p0p1 = wide{f0.p} * f1.p;
  const limb p0p1_low = static_cast<limb>(p0p1), p0p1_high = static_cast<limb>(p0p1 >> 64);

  // The running carry, three words, added to each column before its low
  // limb is split off.
  limb c0 = 0, c1 = 0, c2 = 0;
  for (std::size_t k = 0; k < na + nb; ++k) {
    if (k < na + nb - 1) {
      const limb r0 = residue[0][k], r1 = residue[1][k], r2 = residue[2][k];
      const limb r0_in_p1 = r0 >= f1.p ? r0 - f1.p : r0;  // p0 < 2 p1
      const limb t1 = mul(f1, r1 >= r0_in_p1 ? r1 - r0_in_p1 : r1 + f1.p - r0_in_p1, inv_p0_mod_p1);
      // x01 = r0 + p0 t1, modulo p2, then t2 = (r2 - x01) / (p0 p1) mod p2.
      const limb r0_in_p2 = r0 >= f2.p ? r0 - f2.p : r0;
      // t1 < 2^62 needs no reduction first: t1 (p0 2^64 mod p2) < p2 2^64.
      limb x01 = mul(f2, t1, p0_mod_p2) + r0_in_p2;
      if (x01 >= f2.p) x01 -= f2.p;
      const limb t2 = mul(f2, r2 >= x01 ? r2 - x01 : r2 + f2.p - x01, inv_p0p1_mod_p2);
      // x = r0 + p0 t1 + p0 p1 t2, into (x2, x1, x0), added to the carry.
      const wide low = wide{r0} + wide{f0.p} * t1;  // < 2^125
      const wide mid = wide{p0p1_low} * t2;
      const wide top = wide{p0p1_high} * t2;
      wide s = wide{c0} + static_cast<limb>(low) + static_cast<limb>(mid);
      c0 = static_cast<limb>(s);
      s = (s >> 64) + c1 + static_cast<limb>(low >> 64) + static_cast<limb>(mid >> 64) +
          static_cast<limb>(top);
      c1 = static_cast<limb>(s);
      c2 = static_cast<limb>((s >> 64) + c2 + static_cast<limb>(top >> 64));
    }
    // Split off the column's limb: (c2, c1, c0) / B, c2 being far below B.
    limb rest_high, rest_low;
    const limb q1 = divide(c2, c1, rest_high);
    const limb q0 = divide(rest_high, c0, rest_low);
    r[k] = rest_low;
    c0 = q0;
    c1 = q1;
    c2 = 0;
  }
}

}  // namespace uhigh_detail::limbs

#endif  // UHIGH_PACKED
