// Test entry point.
//
//   uhigh_tests [--kernels=NAME] [--suites=form|once] [gtest flags]
//   uhigh_tests --list-forms
//
// --kernels=NAME runs on that kernel form (the default is the fastest this
// CPU runs); a form the CPU cannot run exits with 77, which CTest reports as
// skipped. --suites=form runs only the suites whose results go through the
// digit kernels, which CTest runs once per form; --suites=once runs all the
// others, which need one run. --list-forms prints the forms this build has
// that this CPU runs, one a line, for scripts that go through every form.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <string>

#include "bignum/kernels/table.h"
#include "test_support.h"

namespace test {
const uhigh_kernels::table* startup_form = nullptr;
}

namespace {

// The kernels themselves, the class's operations, and one whole dialogue.
// A suite named nowhere here runs with --suites=once, so none is left out.
constexpr const char* form_dependent =
    "EveryForm/*:Construction.*:Copy.*:Assignment.*:Reserve.*:Compare.*:GreaterThan.*:Output.*:"
    "Addition.*:Subtraction.*:AdditionAndSubtraction.*:SmallFactor.*:ByUhigh.*:Multiplication.*:"
    "Operators.*:Moves.*:Division.*:Oracle.*:Factorial.*:DigitLimit.*:Dialogue.SampleSessionByteForByte";

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  test::startup_form = &uhigh_kernels::active();  // before any select
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list-forms") == 0) {
      for (const uhigh_kernels::table* form : uhigh_kernels::available())
        std::cout << form->name << "\n";
      return 0;
    }
    if (starts_with(argv[i], "--suites=")) {
      const std::string which = argv[i] + std::strlen("--suites=");
      if (which != "form" && which != "once") {
        std::cerr << "--suites takes form or once\n";
        return 2;
      }
      GTEST_FLAG_SET(filter, (which == "form" ? "" : "-") + std::string(form_dependent));
    } else if (starts_with(argv[i], "--kernels=")) {
      const char* name = argv[i] + std::strlen("--kernels=");
      if (!uhigh_kernels::select(name)) {
        std::cout << "kernel form '" << name << "' is not available on this CPU: skipped\n";
        return 77;
      }
    }
  }
  std::cout << "kernel form: " << uhigh_kernels::active().name << "\n";
  return RUN_ALL_TESTS();
}
