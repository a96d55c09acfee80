// Which kernel form uhigh uses. The pointer starts at the reference form by
// constant initialisation, so arithmetic done during another file's static
// initialisation is correct (if slow); the dynamic initialiser below then
// moves it to the fastest form the CPU can run.
#include <algorithm>

#include "bignum/kernels/forms.h"

#if UHIGH_NEON32
#include <asm/hwcap.h>
#include <sys/auxv.h>
#endif

namespace kernels {
namespace {

const table* current = &reference;

const bool chosen_at_startup = [] {
  current = forms_for(this_cpu()).back();
  return true;
}();

}  // namespace

cpu_features this_cpu() {
  cpu_features cpu;
#if UHIGH_X86_SIMD
  cpu.avx2 = __builtin_cpu_supports("avx2");
  cpu.avx512f = __builtin_cpu_supports("avx512f");
  cpu.avx512bw = __builtin_cpu_supports("avx512bw");
#endif
#if UHIGH_NEON
  cpu.neon = true;  // part of every AArch64 CPU
#elif UHIGH_NEON32
  cpu.neon = (getauxval(AT_HWCAP) & HWCAP_NEON) != 0;  // optional on ARMv7
#endif
  return cpu;
}

std::vector<const table*> forms_for([[maybe_unused]] const cpu_features& cpu) {
  std::vector<const table*> forms = {&reference, &word};
#if UHIGH_X86_SIMD
  forms.push_back(&sse2);  // part of every x86-64 CPU
  if (cpu.avx2) forms.push_back(&avx2);
  if (cpu.avx512f && cpu.avx512bw) forms.push_back(&avx512);
#endif
#if UHIGH_NEON
  forms.push_back(&neon);  // part of every AArch64 CPU
#elif UHIGH_NEON32
  if (cpu.neon) forms.push_back(&neon);
#endif
  return forms;
}

const table& active() { return *current; }

std::vector<const table*> available() { return forms_for(this_cpu()); }

bool select(std::string_view name) {
  const auto forms = available();
  const auto found =
      std::find_if(forms.begin(), forms.end(), [&](const table* t) { return t->name == name; });
  if (found == forms.end()) return false;
  current = *found;
  return true;
}

void install(const table& form) { current = &form; }

}  // namespace kernels
