#include "kernel_log.h"

namespace test {
namespace {

using uhigh_kernels::digit;
std::vector<kernel_call>* log = nullptr;

digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit c) {
  log->push_back({"add", n});
  return uhigh_kernels::reference.add(r, a, b, n, c);
}
digit add_carry(digit* r, const digit* a, std::size_t n, digit c) {
  log->push_back({"add_carry", n});
  return uhigh_kernels::reference.add_carry(r, a, n, c);
}
digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit c) {
  log->push_back({"sub", n});
  return uhigh_kernels::reference.sub(r, a, b, n, c);
}
digit sub_borrow(digit* r, const digit* a, std::size_t n, digit c) {
  log->push_back({"sub_borrow", n});
  return uhigh_kernels::reference.sub_borrow(r, a, n, c);
}
digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit c) {
  log->push_back({"mul_digit", n});
  return uhigh_kernels::reference.mul_digit(r, a, n, m, c);
}

std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
  log->push_back({"mul_word", n});
  return uhigh_kernels::reference.mul_word(r, a, n, k);
}

const uhigh_kernels::table recording = {.name = "recording",
                                        .add = add,
                                        .add_carry = add_carry,
                                        .sub = sub,
                                        .sub_borrow = sub_borrow,
                                        .mul_digit = mul_digit,
                                        .mul_word = mul_word};

}  // namespace

kernel_log::kernel_log() : before_(uhigh_kernels::active()) {
  log = &calls_;
  uhigh_kernels::install(recording);
}

kernel_log::~kernel_log() {
  uhigh_kernels::install(before_);
  log = nullptr;
}

}  // namespace test
