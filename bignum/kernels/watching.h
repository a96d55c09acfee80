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
  // Each entry tells, then calls the same entry of the form doing the work:
  // entry is the table's field, Out its result, Rest the arguments after
  // the run length.
  template <kernel which, auto entry, class Out, class... Rest>
  static Out two_runs(digit* r, const digit* a, const digit* b, std::size_t n, Rest... rest) {
    tell(which, r, a, b, n);
    return (worker_->*entry)(r, a, b, n, rest...);
  }
  template <kernel which, auto entry, class Out, class... Rest>
  static Out one_run(digit* r, const digit* a, std::size_t n, Rest... rest) {
    tell(which, r, a, nullptr, n);
    return (worker_->*entry)(r, a, n, rest...);
  }
  static constexpr table form = {
      .name = "watching",
      .add = two_runs<kernel::add, &table::add, digit, digit>,
      .add_carry = one_run<kernel::add_carry, &table::add_carry, digit, digit>,
      .sub = two_runs<kernel::sub, &table::sub, digit, digit>,
      .sub_borrow = one_run<kernel::sub_borrow, &table::sub_borrow, digit, digit>,
      .mul_digit = one_run<kernel::mul_digit, &table::mul_digit, digit, digit, digit>,
      .mul_word = one_run<kernel::mul_word, &table::mul_word, std::uint64_t, std::uint64_t>};

  inline static thread_local call_watcher* watcher_ = nullptr;
  inline static const table* worker_ = nullptr;
  const table& before_;
};

}  // namespace uhigh_detail::kernels
