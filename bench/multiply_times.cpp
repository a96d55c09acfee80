// One multiplication series point, for bench/multiply_series.py: the time
// of a * b for random operands of the given digit counts, by uhigh or by
// GMP (mpz_mul alone, or with mpz_get_str for the decimal text a decimal
// class has at once).
//
// Usage: multiply_times uhigh|gmp|gmp+text DIGITS_A DIGITS_B REPS
// Prints one JSON object with the fastest of REPS runs, in seconds.
#include <gmpxx.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "bignum/uhigh.h"
#include "stage_work.h"

using bench::fastest;

namespace {

std::string random_digits(std::mt19937& random, std::size_t n) {
  std::string text(n, '0');
  for (char& c : text)
    c = static_cast<char>('0' + random() % 10);
  text[0] = static_cast<char>('1' + random() % 9);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: multiply_times uhigh|gmp|gmp+text DIGITS_A DIGITS_B REPS\n");
    return 2;
  }
  const std::string who = argv[1];
  const auto na = static_cast<std::size_t>(std::atol(argv[2]));
  const auto nb = static_cast<std::size_t>(std::atol(argv[3]));
  const int reps = std::atoi(argv[4]);
  std::mt19937 random(20261209);
  const std::string a = random_digits(random, na), b = random_digits(random, nb);
  double seconds = 0;
  if (who == "uhigh") {
    const uhigh x(std::string_view{a}), y(std::string_view{b});
    seconds = fastest(reps, [&] { const uhigh z = x * y; static_cast<void>(z); });
  } else if (who == "gmp" || who == "gmp+text") {
    const mpz_class x(a, 10), y(b, 10);
    const bool text = who == "gmp+text";
    seconds = fastest(reps, [&] {
      mpz_class z;
      mpz_mul(z.get_mpz_t(), x.get_mpz_t(), y.get_mpz_t());
      if (text) static_cast<void>(z.get_str());
    });
  } else {
    std::fprintf(stderr, "multiply_times: no contender %s\n", who.c_str());
    return 2;
  }
  std::printf("{\"who\": \"%s\", \"a\": %zu, \"b\": %zu, \"seconds\": %.9f}\n", who.c_str(), na, nb,
              seconds);
}
