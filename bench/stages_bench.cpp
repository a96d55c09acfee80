// The two stages' timed work, per kernel form, with GMP's mpz_class running
// the same loops as a peer. One iteration is one repetition of the stage:
// factorial(n) with the destruction of its result, or a fresh uhigh(1)
// doubled p times.
#include <benchmark/benchmark.h>
#include <gmpxx.h>

#include <string>

#include "app/stage_work.h"
#include "bignum/kernels/table.h"
#include "bignum/uhigh.h"

namespace {

void factorial_stage(benchmark::State& state, const uhigh_kernels::table* form) {
  uhigh_kernels::select(form->name);
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state)
    stage_work::factorial_repetition(n);
}

void power_stage(benchmark::State& state, const uhigh_kernels::table* form) {
  uhigh_kernels::select(form->name);
  const auto p = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state)
    stage_work::power_repetition(p);
}

void gmp_factorial_loop(benchmark::State& state) {
  const auto n = static_cast<unsigned long>(state.range(0));
  for (auto _ : state) {
    mpz_class f = 1;
    for (unsigned long k = n; k > 0; --k)
      f *= k;
    benchmark::DoNotOptimize(f.get_mpz_t());
  }
}

void gmp_power_loop(benchmark::State& state) {
  const auto p = state.range(0);
  for (auto _ : state) {
    mpz_class x = 1;
    for (std::int64_t i = 0; i < p; ++i)
      x += x;
    benchmark::DoNotOptimize(x.get_mpz_t());
  }
}

}  // namespace

int main(int argc, char** argv) {
  const uhigh_kernels::table* fastest = &uhigh_kernels::active();
  for (const uhigh_kernels::table* form : {fastest, &uhigh_kernels::reference}) {
    const std::string name(form->name);
    auto* f = benchmark::RegisterBenchmark(("factorial/" + name).c_str(), factorial_stage, form);
    auto* p = benchmark::RegisterBenchmark(("power/" + name).c_str(), power_stage, form);
    f->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);
    p->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
    if (form == fastest) f->Arg(20000);
    if (form == &uhigh_kernels::reference) {
      f->Iterations(1);  // seconds per repetition: one is enough
      p->Iterations(1);
    }
  }
  benchmark::RegisterBenchmark("factorial/gmp", gmp_factorial_loop)
      ->Arg(1000)
      ->Arg(5000)
      ->Arg(20000)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("power/gmp", gmp_power_loop)
      ->Arg(10000)
      ->Arg(100000)
      ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
