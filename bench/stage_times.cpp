// One stage's timed work, as the program times it, for the scaling series
// of bench/compare.py: a repetition is factorial(n) with the destruction of
// its result, or a fresh value 1 doubled p times; GMP's mpz_class runs the
// same loops as a peer.
//
// Usage: stage_times FORM STAGE SIZE REPS
//   FORM: a kernel form (reference, word, avx512, ...), "default" for the
//   one the program would choose, or "gmp"; STAGE: factorial or power.
// Prints one JSON object with the fastest of REPS repetitions, in seconds,
// and the process's peak resident memory (peak_kib).
#include <gmpxx.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/heap_policy.h"
#include "bignum/kernels/table.h"
#include "bignum/uhigh.h"
#include "stage_work.h"

using bench::fastest;

namespace {

// This process's peak resident memory, in KiB: VmHWM, which belongs to the
// process's own address space. (getrusage's maxrss would not do: it keeps
// the parent's figure across fork and exec.) -1 where there is no /proc.
long peak_kib() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: stage_times FORM factorial|power SIZE REPS\n");
    return 2;
  }
  use_benchmark_heap_policy();
  const std::string form = argv[1];
  const bool factorial_stage = std::string(argv[2]) == "factorial";
  const int size = std::atoi(argv[3]);
  const int reps = std::atoi(argv[4]);
  double seconds = 0;
  if (form == "gmp") {
    seconds = fastest(reps, [&] {
      mpz_class x = 1;
      if (factorial_stage) {
        for (unsigned long k = static_cast<unsigned long>(size); k > 0; --k)
          x *= k;
      } else {
        for (int i = 0; i < size; ++i)
          x += x;
      }
    });
  } else {
    if (form != "default" && !uhigh_kernels::select(form)) {
      std::fprintf(stderr, "no kernel form %s on this CPU\n", form.c_str());
      return 2;
    }
    seconds = fastest(reps, [&] { bench::run_stage(factorial_stage, size); });
  }
  std::printf(
      "{\"form\": \"%s\", \"stage\": \"%s\", \"size\": %d, \"seconds\": %.6f, "
      "\"peak_kib\": %ld}\n",
      form == "default" ? std::string(uhigh_kernels::active().name).c_str() : form.c_str(), argv[2], size,
      seconds, peak_kib());
}
