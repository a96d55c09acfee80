// Division on limbs of 10^19: one pass for a one-limb divisor, Knuth's
// algorithm D (The Art of Computer Programming, vol. 2, 4.3.1) for short
// quotients or divisors, and for the largest sizes a reciprocal by Newton's
// iteration (Brent and Zimmermann, "Modern Computer Arithmetic", algorithm
// 3.5) used as Barrett's method does, so that division costs a few of the
// fast multiplications.
#include "bignum/limbs/limbs.h"

#if UHIGH_PACKED

#include <algorithm>
#include <bit>
#include <vector>

namespace uhigh_detail::limbs {
namespace {

// A divisor d shifted so that its top bit is set, with the inverse that
// Moller and Granlund's two-multiplication division needs.
struct normalised {
  limb d;    // the divisor << shift
  limb inv;  // floor((2^128 - 1) / d) - 2^64
  int shift;
};

normalised normalise(limb d) {
  const int s = std::countl_zero(d);
  const limb dn = d << s;
  return {dn, static_cast<limb>(~wide{0} / dn), s};
}

// q and r of (high B + low) / d for high < d: the numerator is below d B
// < d 2^64, so shifted up by d's normalising shift its high word stays
// below the shifted divisor.
limb divide_limbs(limb high, limb low, const normalised& n, limb& remainder) {
  const wide x = (wide{high} * base + low) << n.shift;
  const limb q =
      divide_step(static_cast<limb>(x >> 64), static_cast<limb>(x), n.d, n.inv, remainder);
  remainder >>= n.shift;
  return q;
}

// The significant limbs of a run: at least one.
std::size_t trimmed(const limb* a, std::size_t n) {
  while (n > 1 && a[n - 1] == 0)
    --n;
  return n;
}

// -1, 0 or 1 as a < b, a == b, a > b, for runs of any lengths.
int compare(const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  na = trimmed(a, na);
  nb = trimmed(b, nb);
  if (na != nb) return na < nb ? -1 : 1;
  for (std::size_t i = na; i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// a += 1 / a -= 1 over n limbs (no carry out of, or borrow into, the top).
void increment(limb* a, std::size_t n) {
  const limb one = 1;
  add(a, a, n, &one, 1);
}
void decrement(limb* a, std::size_t n) {
  const limb one = 1;
  sub(a, a, n, &one, 1);
}

// r = a * b for runs of any lengths (trimmed first), into r[0 .. na + nb).
void multiply(limb* r, const limb* a, std::size_t na, const limb* b, std::size_t nb) {
  std::fill(r, r + na + nb, 0);
  const std::size_t ta = trimmed(a, na), tb = trimmed(b, nb);
  if ((ta == 1 && a[0] == 0) || (tb == 1 && b[0] == 0)) return;
  std::vector<limb> scratch(scratch_for(ta, tb));
  mul(r, a, ta, b, tb, scratch.data());
}

// Brings an estimate q0 of floor(a / v) (q0 of nq limbs, off by a few
// either way) to the exact quotient, and sets r[0 .. nv) to the remainder.
// The product q0 v is formed once; each correction after it is O(n).
void correct(limb* q, std::size_t nq, limb* r, const limb* a, std::size_t na, const limb* v,
             std::size_t nv) {
  std::vector<limb> p(nq + nv);
  multiply(p.data(), q, nq, v, nv);
  std::size_t np = nq + nv;
  while (compare(p.data(), np, a, na) > 0) {
    decrement(q, nq);
    sub(p.data(), p.data(), np, v, nv);
  }
  // a - p < a few v: it fits in nv + 1 limbs (a's top past that is p's).
  std::vector<limb> rest(std::max(na, np));
  std::copy(a, a + na, rest.begin());
  sub(rest.data(), rest.data(), rest.size(), p.data(), trimmed(p.data(), np));
  while (compare(rest.data(), rest.size(), v, nv) >= 0) {
    increment(q, nq);
    sub(rest.data(), rest.data(), rest.size(), v, nv);
  }
  std::copy(rest.data(), rest.data() + nv, r);
}

// Algorithm D on a normalised divisor (v[nv - 1] >= B/2, nv >= 2): u holds
// the dividend in nu + 1 limbs (the top one 0 on entry) and is left holding
// the remainder in its low nv limbs; q[0 .. nu - nv + 1) gets the quotient.
void divide_schoolbook(limb* q, limb* u, std::size_t nu, const limb* v, std::size_t nv) {
  const limb top = v[nv - 1], next = v[nv - 2];
  const normalised n = normalise(top);
  std::vector<limb> row(nv + 1);
  for (std::size_t j = nu - nv + 1; j-- > 0;) {
    limb* w = u + j;  // the window w[0 .. nv] that this step reduces below v
    limb qhat, rhat;
    bool rhat_fits = true;
    if (w[nv] >= top) {
      // w[nv] <= top always; at equality the estimate is capped at B - 1
      // and rhat = w[nv] B + w[nv-1] - (B - 1) top = w[nv-1] + top, which
      // may pass B (then no refinement is needed: qhat is off by at most 1).
      qhat = base - 1;
      const limb s = w[nv - 1] + top;
      rhat_fits = s >= top && s < base;
      rhat = s;
    } else {
      qhat = divide_limbs(w[nv], w[nv - 1], n, rhat);
    }
    // The estimate from two limbs is at most 2 too large; the third limb
    // brings it to at most 1 too large.
    while (rhat_fits && wide{qhat} * next > wide{rhat} * base + w[nv - 2]) {
      --qhat;
      const limb before = rhat;
      rhat += top;  // may pass 2^64 (2B > 2^64): then it surely passes B
      rhat_fits = rhat >= before && rhat < base;
    }
    // w -= qhat v: the row by mul_1, whose products split independently,
    // then one subtraction whose only chain is the one-bit borrow.
    row[nv] = mul_1(row.data(), v, nv, qhat);
    if (sub(w, w, nv + 1, row.data(), nv + 1) != 0) {
      // qhat was one too large (probability about 2/B): add v back once;
      // the carry out of the top cancels the borrow.
      --qhat;
      add(w, w, nv + 1, v, nv);
      w[nv] = 0;
    }
    q[j] = qhat;
  }
}

// x[0 .. n + 1) = an approximate reciprocal of the normalised v[0 .. n)
// (v >= B^n / 2): v x < B^2n <= v (x + 2). Newton's iteration from the top
// half's reciprocal, which doubles the correct limbs at every level.
void reciprocal(limb* x, const limb* v, std::size_t n, std::size_t newton_from) {
  if (n < newton_from || n <= 2) {
    // Exactly floor((B^2n - 1) / v), which meets the bound with room
    // (algorithm D needs two limbs of divisor).
    std::vector<limb> u(2 * n + 1, base - 1);
    u[2 * n] = 0;
    divide_schoolbook(x, u.data(), 2 * n, v, n);
    return;
  }
  const std::size_t low = (n - 1) / 2, high = n - low;
  std::vector<limb> xh(high + 1);
  reciprocal(xh.data(), v + low, high, newton_from);
  // t = v xh, brought below B^(n + high) by taking v off. xh is the top
  // half's reciprocal, so v xh < B^(n + high) holds up to the low half's
  // share, and no test input has needed a step: the loop is the guard that
  // the bound asks for.
  std::vector<limb> t(n + high + 1);
  multiply(t.data(), v, n, xh.data(), high + 1);
  while (t[n + high] != 0) {
    decrement(xh.data(), high + 1);
    sub(t.data(), t.data(), n + high + 1, v, n);
  }
  // t = B^(n + high) - t, the error of xh, small: v's size or a little more.
  for (std::size_t i = 0; i < n + high; ++i)
    t[i] = base - 1 - t[i];
  increment(t.data(), n + high);
  // x = xh B^low + floor(floor(t / B^low) xh / B^(2 high - low)).
  const std::size_t nt = n + high - low;  // = 2 high
  std::vector<limb> u(nt + high + 1);
  multiply(u.data(), t.data() + low, nt, xh.data(), high + 1);
  const std::size_t drop = 2 * high - low;
  std::fill(x, x + n + 1, 0);
  std::copy(xh.begin(), xh.end(), x + low);
  const std::size_t keep = std::min(u.size() - drop, n + 1);
  add(x, x, n + 1, u.data() + drop, keep);
}

// q[0 .. n) and r[0 .. n) of a / v for a of 2n limbs below v B^n, with the
// reciprocal x of v: q0 = floor(floor(a / B^n) x / B^n) is at most the
// quotient and a few below it, which correct() makes exact.
void divide_block(limb* q, limb* r, const limb* a, const limb* v, const limb* x, std::size_t n) {
  std::vector<limb> t(2 * n + 1);
  multiply(t.data(), a + n, n, x, n + 1);
  std::copy(t.data() + n, t.data() + 2 * n, q);
  // v x < B^2n makes q0 at most the quotient, below B^n; were the bound
  // ever missed, B^n - 1 is still an estimate above by a few.
  if (t[2 * n] != 0) std::fill(q, q + n, base - 1);
  correct(q, n, r, a, 2 * n, v, n);
}

// Quotient and remainder by the reciprocal, for a normalised v of n limbs:
// a in blocks of n limbs from the top, each divided with the remainder of
// the one above it, all by one reciprocal.
void divide_newton(limb* q, limb* r, const limb* a, std::size_t na, const limb* v, std::size_t n,
                   std::size_t newton_from) {
  std::vector<limb> x(n + 1);
  reciprocal(x.data(), v, n, newton_from);
  const std::size_t blocks = (na + n - 1) / n;
  std::vector<limb> window(2 * n, 0);  // remainder B^n + block
  std::vector<limb> block_q(n);
  std::fill(q, q + (na - n + 1), 0);
  for (std::size_t b = blocks; b-- > 0;) {
    const std::size_t at = b * n, size = std::min(n, na - at);
    std::copy(window.data(), window.data() + n, window.data() + n);  // remainder up
    std::fill(window.data(), window.data() + n, 0);
    std::copy(a + at, a + at + size, window.begin());
    divide_block(block_q.data(), window.data(), window.data(), v, x.data(), n);
    // The quotient's limbs from at on; past its top they are zero.
    for (std::size_t i = 0; i < n && at + i < na - n + 1; ++i)
      q[at + i] = block_q[i];
  }
  std::copy(window.data(), window.data() + n, r);
}

}  // namespace

limb div_1(limb* q, const limb* a, std::size_t n, limb d) {
  assert(d >= 1 && d < base);
  const normalised nd = normalise(d);
  limb r = 0;
  for (std::size_t i = n; i-- > 0;)
    q[i] = divide_limbs(r, a[i], nd, r);
  return r;
}

void divmod(limb* q, limb* r, const limb* a, std::size_t na, const limb* v, std::size_t nv,
            std::size_t newton_from) {
  assert(na >= nv && nv >= 1 && v[nv - 1] != 0);
  const std::size_t nq = na - nv + 1;
  if (nv == 1) {
    r[0] = div_1(q, a, na, v[0]);
    return;
  }
  // Scaled by f = floor(B / (top + 1)), the divisor's top limb is at least
  // B/2 and the divisor stays nv limbs (Knuth's normalisation); the
  // quotient is unchanged and the remainder scaled by f.
  const limb f = base / (v[nv - 1] + 1);
  std::vector<limb> vn(nv), an(na + 1);
  mul_1(vn.data(), v, nv, f);  // no carry: v f < B^nv
  an[na] = mul_1(an.data(), a, na, f);
  std::vector<limb> rn(nv);
  const std::size_t shorter = std::min(nq, nv);
  if (shorter < newton_from) {
    divide_schoolbook(q, an.data(), na, vn.data(), nv);
    std::copy(an.data(), an.data() + nv, rn.data());
  } else if (nq < nv) {
    // A short quotient depends on the divisor's top limbs alone: with k low
    // limbs cut from both, the quotient of what is left is at least the
    // true one, and at most 2 above it (the cut divisor keeps nq + 1
    // normalised limbs); correct() makes it exact.
    const std::size_t k = nv - nq - 1;
    std::vector<limb> qt(nq + 1), rt(nq + 1);
    divide_newton(qt.data(), rt.data(), an.data() + k, na + 1 - k, vn.data() + k, nq + 1,
                  newton_from);
    std::copy(qt.data(), qt.data() + nq, q);
    // The estimate may pass the quotient's nq limbs only when the quotient
    // is B^nq - 1 or next to it: start from that instead.
    if (qt[nq] != 0) std::fill(q, q + nq, base - 1);
    correct(q, nq, rn.data(), an.data(), na + 1, vn.data(), nv);
  } else {
    std::vector<limb> qt(nq + 1);
    divide_newton(qt.data(), rn.data(), an.data(), na + 1, vn.data(), nv, newton_from);
    std::copy(qt.data(), qt.data() + nq, q);
  }
  div_1(r, rn.data(), nv, f);  // exact: rn = f r
}

}  // namespace uhigh_detail::limbs

#endif  // UHIGH_PACKED
