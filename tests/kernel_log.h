// Records every digit-kernel call the creating thread makes while one lives:
// which kernel and over how many digits, in order, with the reference form
// doing the work (for every thread). The tests
// use it to hold a stage's work to a count made by hand from the algorithm.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bignum/kernels/table.h"

namespace test {

struct kernel_call {
  std::string kernel;  // "add", "add_carry", "sub", "sub_borrow", "mul_digit", "mul_word"
  std::size_t n;
  bool operator==(const kernel_call&) const = default;
};

class kernel_log {
 public:
  kernel_log();   // installs the recording form
  ~kernel_log();  // puts back the form that was active
  kernel_log(const kernel_log&) = delete;
  kernel_log& operator=(const kernel_log&) = delete;

  const std::vector<kernel_call>& calls() const { return calls_; }

 private:
  const uhigh_kernels::table& before_;
  std::vector<kernel_call> calls_;
};

}  // namespace test
