// Which kernel form uhigh uses: the one place that decides which forms may
// run on this CPU, and the one pointer that says which does.
#include <algorithm>
#include <atomic>

#include "bignum/kernels/forms.h"

#if UHIGH_NEON32
#include <asm/hwcap.h>
#include <sys/auxv.h>
#endif

namespace uhigh_detail::kernels {
namespace {

// The form in use, chosen the first time any thread asks: a function-local
// static is initialised exactly once, under the language's own lock, so a
// thread started by another file's static initialiser cannot race the
// choice. Atomic, because select() and install() may change it later (when
// no arithmetic runs, but perhaps from another thread than the last user).
std::atomic<const table*>& current() {
  static std::atomic<const table*> form{forms_for(this_cpu()).back()};
  return form;
}

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

const table& active() { return *current().load(std::memory_order_acquire); }

std::vector<const table*> available() { return forms_for(this_cpu()); }

void install(const table& form) { current().store(&form, std::memory_order_release); }

}  // namespace uhigh_detail::kernels

// The public face of the choice, bignum/kernels.h.
namespace uhigh_kernels {

using namespace uhigh_detail::kernels;

std::vector<std::string_view> forms() {
  std::vector<std::string_view> names;
  for (const table* form : available())
    names.push_back(form->name);
  return names;
}

std::string_view active_form() { return active().name; }

bool select(std::string_view name) {
  const auto all = available();
  const auto found =
      std::find_if(all.begin(), all.end(), [&](const table* t) { return t->name == name; });
  if (found == all.end()) return false;
  install(**found);
  return true;
}

}  // namespace uhigh_kernels
