// Test entry point. `--kernels=NAME` runs the whole suite on that kernel form
// (the default is the fastest this CPU runs); a form the CPU cannot run
// exits with 77, which CTest reports as skipped.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>

#include "bignum/kernels.h"
#include "test_support.h"

namespace test {
const kernels::table* startup_form = nullptr;
}

int main(int argc, char** argv) {
  test::startup_form = &kernels::active();  // before any select
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    constexpr const char* flag = "--kernels=";
    if (std::strncmp(argv[i], flag, std::strlen(flag)) != 0) continue;
    const char* name = argv[i] + std::strlen(flag);
    if (!kernels::select(name)) {
      std::cout << "kernel form '" << name << "' is not available on this CPU: skipped\n";
      return 77;
    }
  }
  std::cout << "kernel form: " << kernels::active().name << "\n";
  return RUN_ALL_TESTS();
}
