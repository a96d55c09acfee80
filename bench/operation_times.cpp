// One point of the library series, for bench/library_series.py: the time of
// one operation on random operands of the given digit counts, by uhigh or
// by GMP (alone, or with mpz_get_str for the decimal text that a decimal
// class has at once).
//
// Usage: operation_times mul|div uhigh|gmp|gmp+text DIGITS_A DIGITS_B REPS
//        operation_times prime uhigh|gmp+text EXPONENT REPS
//        operation_times prime-text uhigh|gmp EXPONENT FILE
// mul is a * b; div is a / b and a % b, in one call; prime is 2^EXPONENT - 1
// with its decimal text (uhigh: pow, then the text; GMP: mpz_ui_pow_ui,
// then mpz_get_str). Prints one JSON object with the fastest of REPS runs,
// in seconds. prime-text writes the digits of 2^EXPONENT - 1 to FILE, for
// the series to compare the two texts.
#include <gmpxx.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
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

int usage() {
  std::fprintf(stderr,
               "usage: operation_times mul|div uhigh|gmp|gmp+text DIGITS_A DIGITS_B REPS\n"
               "       operation_times prime uhigh|gmp+text EXPONENT REPS\n"
               "       operation_times prime-text uhigh|gmp EXPONENT FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return usage();
  const std::string op = argv[1], who = argv[2];
  if (op == "prime-text") {
    if (argc != 5) return usage();
    const unsigned long exponent = std::strtoul(argv[3], nullptr, 10);
    std::ofstream out(argv[4], std::ios::binary);
    if (who == "uhigh") {
      uhigh p = pow(uhigh(2), exponent);
      p -= uhigh(1);
      out << p;
    } else {
      mpz_class p;
      mpz_ui_pow_ui(p.get_mpz_t(), 2, exponent);
      p -= 1;
      out << p.get_str();
    }
    return out.flush() ? 0 : 1;
  }
  if (op == "prime") {
    if (argc != 5) return usage();
    const unsigned long exponent = std::strtoul(argv[3], nullptr, 10);
    const int reps = std::atoi(argv[4]);
    double seconds = 0;
    if (who == "uhigh") {
      seconds = fastest(reps, [&] {
        uhigh p = pow(uhigh(2), exponent);
        p -= uhigh(1);
        static_cast<void>(to_string(p));
      });
    } else if (who == "gmp+text") {
      seconds = fastest(reps, [&] {
        mpz_class p;
        mpz_ui_pow_ui(p.get_mpz_t(), 2, exponent);
        p -= 1;
        static_cast<void>(p.get_str());
      });
    } else {
      return usage();
    }
    std::printf("{\"op\": \"prime\", \"who\": \"%s\", \"exponent\": %lu, \"seconds\": %.9f}\n",
                who.c_str(), exponent, seconds);
    return 0;
  }
  if (argc != 6 || (op != "mul" && op != "div")) return usage();
  const auto na = static_cast<std::size_t>(std::atol(argv[3]));
  const auto nb = static_cast<std::size_t>(std::atol(argv[4]));
  const int reps = std::atoi(argv[5]);
  std::mt19937 random(20261209);
  const std::string a = random_digits(random, na), b = random_digits(random, nb);
  const bool divide = op == "div";
  double seconds = 0;
  if (who == "uhigh") {
    const uhigh x(std::string_view{a}), y(std::string_view{b});
    seconds = divide ? fastest(reps, [&] { static_cast<void>(divmod(x, y)); })
                     : fastest(reps, [&] { const uhigh z = x * y; static_cast<void>(z); });
  } else if (who == "gmp" || who == "gmp+text") {
    const mpz_class x(a, 10), y(b, 10);
    const bool text = who == "gmp+text";
    seconds = fastest(reps, [&] {
      mpz_class z, r;
      if (divide) {
        mpz_tdiv_qr(z.get_mpz_t(), r.get_mpz_t(), x.get_mpz_t(), y.get_mpz_t());
        if (text) static_cast<void>(r.get_str());
      } else {
        mpz_mul(z.get_mpz_t(), x.get_mpz_t(), y.get_mpz_t());
      }
      if (text) static_cast<void>(z.get_str());
    });
  } else {
    return usage();
  }
  std::printf("{\"op\": \"%s\", \"who\": \"%s\", \"a\": %zu, \"b\": %zu, \"seconds\": %.9f}\n",
              op.c_str(), who.c_str(), na, nb, seconds);
}
