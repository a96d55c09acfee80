#include "kernel_log.h"

namespace test {
namespace {

using uhigh_kernels::digit;
// The recording form is installed for the whole process, but only the thread
// that made the log records: another thread computing meanwhile (the boundary
// tests start one from a static initialiser) gets the reference's results
// and neither races on the log nor lengthens it.
thread_local std::vector<kernel_call>* log = nullptr;

void note(const char* kernel, std::size_t n) {
  if (log != nullptr) log->push_back({kernel, n});
}

digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit c) {
  note("add", n);
  return uhigh_kernels::reference.add(r, a, b, n, c);
}
digit add_carry(digit* r, const digit* a, std::size_t n, digit c) {
  note("add_carry", n);
  return uhigh_kernels::reference.add_carry(r, a, n, c);
}
digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit c) {
  note("sub", n);
  return uhigh_kernels::reference.sub(r, a, b, n, c);
}
digit sub_borrow(digit* r, const digit* a, std::size_t n, digit c) {
  note("sub_borrow", n);
  return uhigh_kernels::reference.sub_borrow(r, a, n, c);
}
digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit c) {
  note("mul_digit", n);
  return uhigh_kernels::reference.mul_digit(r, a, n, m, c);
}

std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
  note("mul_word", n);
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
