// Which kernel form uhigh uses. The pointer starts at the reference form by
// constant initialisation, so arithmetic done during another file's static
// initialisation is correct (if slow); the dynamic initialiser below then
// moves it to the fastest form the CPU can run.
#include <algorithm>

#include "bignum/kernels_forms.h"

namespace kernels {
namespace {

const table* current = &reference;

// Fastest last.
std::vector<const table*> forms_this_cpu_runs() {
  std::vector<const table*> forms = {&reference, &word};
#if UHIGH_X86_SIMD
  forms.push_back(&sse2);
  if (__builtin_cpu_supports("avx2")) forms.push_back(&avx2);
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) {
    forms.push_back(&avx512);
  }
#endif
  return forms;
}

const bool chosen_at_startup = [] {
  current = forms_this_cpu_runs().back();
  return true;
}();

}  // namespace

const table& active() { return *current; }

std::vector<const table*> available() { return forms_this_cpu_runs(); }

bool select(std::string_view name) {
  const auto forms = forms_this_cpu_runs();
  const auto found =
      std::find_if(forms.begin(), forms.end(), [&](const table* t) { return t->name == name; });
  if (found == forms.end()) return false;
  current = *found;
  return true;
}

}  // namespace kernels
