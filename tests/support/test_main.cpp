// Test entry point.
//
//   uhigh_tests [--kernels=NAME] [--suites=form|once] [gtest flags]
//   uhigh_tests --list-forms
//
// --kernels=NAME runs on that kernel form (the default is the fastest this
// CPU runs); a form the CPU cannot run exits with 77, which CTest reports as
// skipped. --suites=form runs only the tests whose results go through the
// digit kernels, which CTest runs once per form: every test in
// tests/bignum/ (the class) and tests/stages/ (the benchmark's stages and
// whole dialogue), chosen by folder, so a new test there is never left
// out. --suites=once runs all the others (the kernels' own tests, which
// go through every form themselves, the limbs and the program), once. --list-forms prints the forms
// this build has that this CPU runs, one a line, for scripts that go through every form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <string>

#include "bignum/kernels/table.h"
#include "test_support.h"

namespace test {
const uhigh_detail::kernels::table* startup_form = nullptr;
}

namespace {

// Whether a test's file is in a folder whose tests run once per form.
bool per_form(const ::testing::TestInfo& info) {
  std::string file = info.file();
  std::replace(file.begin(), file.end(), '\\', '/');
  return file.find("/tests/bignum/") != std::string::npos ||
         file.find("/tests/stages/") != std::string::npos;
}

// A gtest filter naming every per-form test.
std::string per_form_filter() {
  std::string filter;
  const ::testing::UnitTest& all = *::testing::UnitTest::GetInstance();
  for (int i = 0; i < all.total_test_suite_count(); ++i) {
    const ::testing::TestSuite& suite = *all.GetTestSuite(i);
    for (int j = 0; j < suite.total_test_count(); ++j) {
      const ::testing::TestInfo& info = *suite.GetTestInfo(j);
      if (!per_form(info)) continue;
      if (!filter.empty()) filter += ':';
      filter += std::string(info.test_suite_name()) + "." + info.name();
    }
  }
  return filter;
}

bool starts_with(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  test::startup_form = &uhigh_detail::kernels::active();  // before any select
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--list-forms") == 0) {
      for (const uhigh_detail::kernels::table* form : uhigh_detail::kernels::available())
        std::cout << form->name << "\n";
      return 0;
    }
    if (starts_with(argv[i], "--suites=")) {
      const std::string which = argv[i] + std::strlen("--suites=");
      if (which != "form" && which != "once") {
        std::cerr << "--suites takes form or once\n";
        return 2;
      }
      std::string chosen = per_form_filter();
      if (which == "once") chosen.insert(0, 1, '-');
      GTEST_FLAG_SET(filter, chosen);
    } else if (starts_with(argv[i], "--kernels=")) {
      const char* name = argv[i] + std::strlen("--kernels=");
      if (!uhigh_kernels::select(name)) {
        std::cout << "kernel form '" << name << "' is not available on this CPU: skipped\n";
        return 77;
      }
    }
  }
  std::cout << "kernel form: " << uhigh_detail::kernels::active().name << "\n";
  return RUN_ALL_TESTS();
}
