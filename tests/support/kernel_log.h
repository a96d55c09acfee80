// Records every digit-kernel call the creating thread makes while one lives:
// which kernel and over how many digits, in order, with the reference form
// doing the work (for every thread). The tests
// use it to hold a stage's work to a count made by hand from the algorithm.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bignum/kernels/watching.h"

namespace test {

struct kernel_call {
  std::string kernel;  // "add", "add_carry", "sub", "sub_borrow", "mul_digit", "mul_word"
  std::size_t n;
  bool operator==(const kernel_call&) const = default;
};

class kernel_log final : uhigh_detail::kernels::call_watcher {
 public:
  kernel_log() = default;
  kernel_log(const kernel_log&) = delete;
  kernel_log& operator=(const kernel_log&) = delete;

  const std::vector<kernel_call>& calls() const { return calls_; }

 private:
  void called(uhigh_detail::kernels::kernel which, const uhigh_detail::kernels::digit* r,
              const uhigh_detail::kernels::digit* a, const uhigh_detail::kernels::digit* b,
              std::size_t n) override;

  std::vector<kernel_call> calls_;
  uhigh_detail::kernels::watching watching_{
      *this, uhigh_detail::kernels::reference};  // last: made after calls_
};

}  // namespace test
