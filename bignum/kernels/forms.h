// The kernel forms other than the reference, for the selection code and for
// forms that finish a run's tail with a narrower one. Not for uhigh itself:
// it calls uhigh_detail::kernels::active().
#pragma once

#include "bignum/kernels/table.h"

namespace uhigh_detail::kernels {

// Eight digits per 64-bit word; portable C++.
extern const table word;
// The word kernels that the SIMD forms hand short runs and tails to.
namespace word_form {
digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit borrow);
digit sub_borrow(digit* r, const digit* a, std::size_t n, digit borrow);
digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit carry);
std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k);
}  // namespace word_form

#if UHIGH_X86_SIMD
// 64 digits per step in SSE2, AVX2 or AVX-512BW registers; each file is
// compiled for its instruction set and only chosen on a CPU that has it.
extern const table sse2;
extern const table avx2;
extern const table avx512;
#endif

#if UHIGH_NEON || UHIGH_NEON32
// 64 digits per step in four Advanced SIMD registers: neon.cpp on AArch64,
// neon_armv7.cpp on 32-bit ARM (only where the CPU has NEON).
extern const table neon;
#endif

}  // namespace uhigh_detail::kernels
