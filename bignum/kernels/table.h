// Digit kernels: the loops that do all of uhigh's arithmetic. Internal to
// the library, its tests and its benchmarks; users see bignum/kernels.h.
//
// A run is `n` digit values 0..9 stored one per signed byte, least
// significant first. Kernels know nothing of allocation or of uhigh: they read
// and write exactly n bytes at the pointers they are given and hand back the
// carry (or borrow) out of the top position, so the caller decides where it
// goes. Every kernel also takes the carry or borrow coming into position 0.
//
// Overlap rule, the same for every kernel: the result r may be exactly the
// same pointer as an input (in place, and `x += x` with r == a == b); any
// other overlap between r and an input is not allowed. Inputs may overlap
// each other freely.
//
// Each kernel exists in several forms with identical results (the tests hold
// every fast form to the reference form on all the carry patterns that break
// such code). `active()` is the form that uhigh uses.
#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "bignum/kernels.h"

namespace uhigh_detail::kernels {

using digit = std::int8_t;

struct table {
  std::string_view name;

  // r[i] = a[i] + b[i] + carry, carry 0 or 1 in and out. One pass, O(n).
  digit (*add)(digit* r, const digit* a, const digit* b, std::size_t n, digit carry);

  // r[i] = a[i] + carry: the carry into a run, 0 or 1 in and out. Walks all n
  // positions even once the carry has died out. O(n).
  digit (*add_carry)(digit* r, const digit* a, std::size_t n, digit carry);

  // r[i] = a[i] - b[i] - borrow, borrow 0 or 1 in and out. O(n).
  digit (*sub)(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow);

  // r[i] = a[i] - borrow: the borrow through a run, 0 or 1 in and out.
  // Walks all n positions. O(n).
  digit (*sub_borrow)(digit* r, const digit* a, std::size_t n, digit borrow);

  // r = a * m + carry for a single digit m in 0..9 and carry 0..8 in; the
  // carry out is 0..8. One pass, O(n).
  digit (*mul_digit)(digit* r, const digit* a, std::size_t n, digit m, digit carry);

  // r = a * k mod 10^n for any 64-bit k; returns floor(a * k / 10^n), which
  // is below k (so a * k is r plus that value at 10^n). One pass, O(n).
  std::uint64_t (*mul_word)(digit* r, const digit* a, std::size_t n, std::uint64_t k);
};

// The rules above, checked on entry by every form's kernels in a Debug
// build (nothing at all otherwise): the result run is an input itself or
// apart from it, and a carry or digit is in its range.
inline void expect_run([[maybe_unused]] const digit* r, [[maybe_unused]] const digit* a,
                       [[maybe_unused]] std::size_t n) {
  assert(r == a || r + n <= a || a + n <= r);
}
inline void expect_digit([[maybe_unused]] digit d, [[maybe_unused]] digit most) {
  assert(d >= 0 && d <= most);
}

// The plain per-digit loops, every step split with split_decimal: slow, and
// the yardstick that every other form is tested against.
extern const table reference;

// What the selection needs to know of a CPU. The x86-64 forms depend on
// the AVX flags, the 32-bit ARM one on neon; AArch64 always has Advanced
// SIMD, and other targets have no SIMD form.
struct cpu_features {
  bool avx2 = false;
  bool avx512f = false;
  bool avx512bw = false;  // the byte operations of the AVX-512 form
  bool neon = false;      // Advanced SIMD (optional on ARMv7, always on AArch64)
};

// The features of the CPU this process runs on.
cpu_features this_cpu();

// Every form this build has that a CPU with these features runs, reference
// first and fastest last. The one place that decides which form may run.
std::vector<const table*> forms_for(const cpu_features& cpu);

// The form uhigh calls: forms_for(this_cpu()).back(), the fastest, chosen
// on the first call from any thread, static initialisers included, unless
// select() or install() came first.
const table& active();

// forms_for(this_cpu()).
std::vector<const table*> available();

// Makes any table active, one of available() or a wrapper around one (a
// form that counts or records calls, say): for tests and benchmarks, with
// the same caution as select. The table must outlive its use.
void install(const table& form);

}  // namespace uhigh_detail::kernels
