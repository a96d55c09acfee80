// The one way to watch the digit kernels at run time: a form that tells a
// watcher of each call, then has a real form do the work. The floor
// benchmark records a stage's kernel calls through it and the tests' kernel
// log counts them; the storage steps have their seam in bignum/storage.h.
// Header-only, so that nothing of it is in the library unless used.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "bignum/kernels/table.h"

namespace uhigh_detail::kernels {

enum class kernel : std::uint8_t { add, add_carry, sub, sub_borrow, mul_digit, mul_word };

// The kernel's name in the table.
constexpr std::string_view name_of(kernel k) {
  constexpr std::string_view names[] = {"add",        "add_carry", "sub",
                                        "sub_borrow", "mul_digit", "mul_word"};
  return names[static_cast<int>(k)];
}

// Told of each call before it is done: the result run r, the inputs a and
// b (b null for a kernel of one run) and the length n.
struct call_watcher {
  virtual void called(kernel which, const digit* r, const digit* a, const digit* b,
                      std::size_t n) = 0;

 protected:
  ~call_watcher() = default;
};

// While one lives, the watching form is active: the calls of the thread
// that made it go to its watcher, and every thread's calls are done by the
// form given (another thread computing meanwhile is neither told nor
// raced on). Its end puts back the form that was active. One at a time.
class watching {
 public:
  watching(call_watcher& watcher, const table& doing_the_work) : before_(active()) {
    watcher_ = &watcher;
    worker_ = &doing_the_work;
    install(form);
  }
  ~watching() {
    install(before_);
    watcher_ = nullptr;
  }
  watching(const watching&) = delete;
  watching& operator=(const watching&) = delete;

 private:
  static void tell(kernel which, const digit* r, const digit* a, const digit* b, std::size_t n) {
    if (watcher_ != nullptr) watcher_->called(which, r, a, b, n);
  }
  static digit add(digit* r, const digit* a, const digit* b, std::size_t n, digit c) {
    tell(kernel::add, r, a, b, n);
    return worker_->add(r, a, b, n, c);
  }
  static digit add_carry(digit* r, const digit* a, std::size_t n, digit c) {
    tell(kernel::add_carry, r, a, nullptr, n);
    return worker_->add_carry(r, a, n, c);
  }
  static digit sub(digit* r, const digit* a, const digit* b, std::size_t n, digit c) {
    tell(kernel::sub, r, a, b, n);
    return worker_->sub(r, a, b, n, c);
  }
  static digit sub_borrow(digit* r, const digit* a, std::size_t n, digit c) {
    tell(kernel::sub_borrow, r, a, nullptr, n);
    return worker_->sub_borrow(r, a, n, c);
  }
  static digit mul_digit(digit* r, const digit* a, std::size_t n, digit m, digit c) {
    tell(kernel::mul_digit, r, a, nullptr, n);
    return worker_->mul_digit(r, a, n, m, c);
  }
  static std::uint64_t mul_word(digit* r, const digit* a, std::size_t n, std::uint64_t k) {
    tell(kernel::mul_word, r, a, nullptr, n);
    return worker_->mul_word(r, a, n, k);
  }
  static constexpr table form = {.name = "watching",
                                 .add = add,
                                 .add_carry = add_carry,
                                 .sub = sub,
                                 .sub_borrow = sub_borrow,
                                 .mul_digit = mul_digit,
                                 .mul_word = mul_word};

  inline static thread_local call_watcher* watcher_ = nullptr;
  inline static const table* worker_ = nullptr;
  const table& before_;
};

}  // namespace uhigh_detail::kernels
