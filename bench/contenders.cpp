// The C++ contenders of bench/compare.py, one Google Benchmark benchmark
// each, named STAGE/CONTENDER/SIZE on the command line (named_benchmarks.h):
//
//   factorial/FORM/N, power/FORM/P  the program's timed work (app/stage_work.h)
//                                   on a kernel form of uhigh; FORM gmp runs
//                                   the same loops on GMP's mpz_class
//   mul/WHO/N       a * b, both of N random digits
//   div/WHO/N       a / b and a % b in one call, N by N/2 random digits
//   prime/WHO/P     2^P - 1 and its decimal text
//
// WHO is uhigh, gmp, or gmp+text (GMP with mpz_get_str for the decimal text
// that a decimal class has at once); prime has uhigh and gmp+text only.
// One iteration is one repetition. `contenders --forms` lists the kernel
// forms this CPU runs, slowest first.
#include <gmpxx.h>

#include <iostream>
#include <random>
#include <string>

#include "app/heap_policy.h"
#include "app/stage_work.h"
#include "bignum/kernels.h"
#include "bignum/uhigh.h"
#include "named_benchmarks.h"

using namespace uhigh_bench;

namespace {

std::string random_digits(std::mt19937& random, long n) {
  std::string text(static_cast<std::size_t>(std::max(n, 1L)), '0');
  for (char& c : text)
    c = static_cast<char>('0' + random() % 10);
  text[0] = static_cast<char>('1' + random() % 9);
  return text;
}

bench::body stage_body(const std::string& name, const std::string& who, long size) {
  const auto n = static_cast<std::int32_t>(size);
  if (who == "gmp") {
    if (name == "factorial") {
      return [n](benchmark::State& state) {
        for (auto _ : state) {
          mpz_class f = 1;
          for (unsigned long k = static_cast<unsigned long>(n); k > 0; --k)
            f *= k;
          benchmark::DoNotOptimize(f.get_mpz_t());
        }
      };
    }
    return [n](benchmark::State& state) {
      for (auto _ : state) {
        mpz_class x = 1;
        for (std::int32_t i = 0; i < n; ++i)
          x += x;
        benchmark::DoNotOptimize(x.get_mpz_t());
      }
    };
  }
  if (!uhigh_kernels::select(who)) return nullptr;
  if (name == "factorial") {
    return [n](benchmark::State& state) {
      for (auto _ : state)
        stage_work::factorial_repetition(n);
    };
  }
  return [n](benchmark::State& state) {
    for (auto _ : state)
      stage_work::power_repetition(n);
  };
}

bench::body operation(const std::string& name, const std::string& who, long size) {
  const bool text = who == "gmp+text";
  if (name == "prime") {
    const auto p = static_cast<unsigned long>(size);
    if (who == "uhigh") {
      return [p](benchmark::State& state) {
        for (auto _ : state) {
          uhigh x = pow(uhigh(2), p);
          x -= uhigh(1);
          benchmark::DoNotOptimize(to_string(x).data());
        }
      };
    }
    if (!text) return nullptr;
    return [p](benchmark::State& state) {
      for (auto _ : state) {
        mpz_class x;
        mpz_ui_pow_ui(x.get_mpz_t(), 2, p);
        x -= 1;
        benchmark::DoNotOptimize(x.get_str().data());
      }
    };
  }
  std::mt19937 random(20261209);
  const bool divide = name == "div";
  const std::string a = random_digits(random, size);
  const std::string b = random_digits(random, divide ? size / 2 : size);
  if (who == "uhigh") {
    const uhigh x(std::string_view{a}), y(std::string_view{b});
    if (divide) {
      return [x, y](benchmark::State& state) {
        for (auto _ : state)
          benchmark::DoNotOptimize(divmod(x, y));
      };
    }
    return [x, y](benchmark::State& state) {
      for (auto _ : state)
        benchmark::DoNotOptimize(x * y);
    };
  }
  if (who != "gmp" && !text) return nullptr;
  const mpz_class x(a, 10), y(b, 10);
  return [x, y, divide, text](benchmark::State& state) {
    for (auto _ : state) {
      mpz_class z, r;
      if (divide) {
        mpz_tdiv_qr(z.get_mpz_t(), r.get_mpz_t(), x.get_mpz_t(), y.get_mpz_t());
        if (text) benchmark::DoNotOptimize(r.get_str().data());
      } else {
        mpz_mul(z.get_mpz_t(), x.get_mpz_t(), y.get_mpz_t());
      }
      if (text) benchmark::DoNotOptimize(z.get_str().data());
      benchmark::DoNotOptimize(z.get_mpz_t());
    }
  };
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--forms") {
    for (const std::string_view form : uhigh_kernels::forms())
      std::cout << form << '\n';
    return 0;
  }
  use_benchmark_heap_policy();  // as the program does
  return bench::run_named(
      argc, argv, [](const std::string& name, const std::string& who, long size) -> bench::body {
        if (name == "factorial" || name == "power") return stage_body(name, who, size);
        if (name == "mul" || name == "div" || name == "prime") return operation(name, who, size);
        return nullptr;
      });
}
