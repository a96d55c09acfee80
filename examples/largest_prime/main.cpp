// Prints 2^82,589,933 - 1, the largest known prime (24,862,048 digits), in
// full: computed with pow and written to a file, or to standard output.
//
// Usage: largest_prime [--exponent P] [OUTPUT_FILE]
// With --exponent, 2^P - 1 for any P >= 1 instead. Prints the digit count
// and the seconds that the computation and the writing took on standard
// error.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>

#include "bignum/uhigh.h"

int main(int argc, char** argv) {
  unsigned long long exponent = 82'589'933;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--exponent") == 0 && i + 1 < argc) {
      char* end = nullptr;
      exponent = std::strtoull(argv[++i], &end, 10);
      if (*end != '\0' || exponent == 0) {
        std::cerr << "largest_prime: --exponent takes a whole number of at least 1\n";
        return 2;
      }
    } else if (path == nullptr && argv[i][0] != '-') {
      path = argv[i];
    } else {
      std::cerr << "usage: largest_prime [--exponent P] [OUTPUT_FILE]\n";
      return 2;
    }
  }
  using clock = std::chrono::steady_clock;
  const auto start = clock::now();
  uhigh prime = pow(uhigh(2), exponent);
  prime -= uhigh(1);
  const auto computed = clock::now();
  // The digits are already decimal: writing them is one pass, no base
  // conversion.
  if (path != nullptr) {
    std::ofstream out(path, std::ios::binary);
    out << prime << '\n';
    if (!out.flush()) {
      std::cerr << "largest_prime: cannot write " << path << "\n";
      return 1;
    }
  } else {
    std::cout << prime << '\n';
    if (!std::cout.flush()) return 1;
  }
  const auto written = clock::now();
  const std::chrono::duration<double> compute = computed - start, write = written - computed;
  std::fprintf(stderr, "2^%llu - 1: %u digits, computed in %.3f s, written in %.3f s\n", exponent,
               prime.digit_count(), compute.count(), write.count());
  return 0;
}
