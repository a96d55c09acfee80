// Each kernel form's loops on their own, on runs that stay in the L1 cache:
// the measured side of the llvm-mca estimates (tools/mca.py). One iteration
// is one call over `digits` digits; the counter digits_per_second gives the
// throughput.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "bignum/kernels/table.h"

namespace {

using uhigh_detail::kernels::digit;

std::vector<digit> random_run(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> any(0, 9);
  std::vector<digit> run(n);
  for (auto& d : run)
    d = static_cast<digit>(any(random));
  return run;
}

enum class kernel { doubling, add, sub, mul_digit, mul_word };

void run_kernel(benchmark::State& state, const uhigh_detail::kernels::table* form, kernel which) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const std::vector<digit> a = random_run(n, 1), b = random_run(n, 2);
  std::vector<digit> r(n);
  for (auto _ : state) {
    digit carry = 0;
    std::uint64_t wide = 0;
    switch (which) {
      case kernel::doubling:
        carry = form->add(r.data(), a.data(), a.data(), n, 0);
        break;
      case kernel::add:
        carry = form->add(r.data(), a.data(), b.data(), n, 0);
        break;
      case kernel::sub:
        carry = form->sub(r.data(), a.data(), b.data(), n, 0);
        break;
      case kernel::mul_digit:
        carry = form->mul_digit(r.data(), a.data(), n, 7, 0);
        break;
      case kernel::mul_word:  // the factor of x *= k, all twenty digits in play
        wide = form->mul_word(r.data(), a.data(), n, 18446744073709551557u);
        break;
    }
    benchmark::DoNotOptimize(carry);
    benchmark::DoNotOptimize(wide);
    benchmark::DoNotOptimize(r.data());
    benchmark::ClobberMemory();
  }
  state.counters["digits_per_second"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

int main(int argc, char** argv) {
  const std::pair<const char*, kernel> kinds[] = {{"double", kernel::doubling},
                                                  {"add", kernel::add},
                                                  {"sub", kernel::sub},
                                                  {"mul_digit", kernel::mul_digit},
                                                  {"mul_word", kernel::mul_word}};
  for (const uhigh_detail::kernels::table* form : uhigh_detail::kernels::available()) {
    if (form == &uhigh_detail::kernels::reference) continue;
    for (const auto& [label, which] : kinds) {
      const std::string name = std::string("kernel/") + std::string(form->name) + "/" + label;
      benchmark::RegisterBenchmark(name.c_str(), run_kernel, form, which)->Arg(4096);
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
