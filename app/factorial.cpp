#include "app/factorial.h"

namespace uhigh_bench {

namespace {

template <class Report>
uhigh compute(const int& n, Report report) {
  uhigh product(1);
  const uhigh one(1);
  uhigh counter(n);
  std::int64_t steps = 0;  // only for the report; the loop runs on uhigh values
  // The counter ends at 0 only because -= strips the leading zero each time
  // it steps down across a power of ten; compare ranks by length first.
  while (counter > uhigh(0)) {
    product *= counter;
    counter -= one;
    report(++steps);
  }
  // A copy, as the benchmark measures it: the digits exist twice until
  // product is destroyed.
  uhigh result(product);
  return result;
}

}  // namespace

uhigh factorial(const int& n) {
  return compute(n, [](std::int64_t) {});
}

uhigh factorial(const int& n, std::atomic<std::int64_t>& steps_done) {
  return compute(n,
                 [&](std::int64_t steps) { steps_done.store(steps, std::memory_order_relaxed); });
}

}  // namespace uhigh_bench
