// Hooks on the test binary's allocations: count the array allocations
// (uhigh's only kind), and make one allocation fail on demand to check what
// an operation leaves behind when the heap runs out. Both see only the
// calling thread's allocations.
#pragma once

namespace test {

// Array allocations made so far by the calling thread.
long array_allocations();

// While one lives, the calling thread's allocation numbered `after` (0 =
// the next one) throws std::bad_alloc; allocations before it succeed. It
// counts array allocations (uhigh's own), or allocations of any kind,
// single objects included (the vectors and strings an operation makes for
// its own work).
class failing_allocation {
 public:
  enum kind { arrays, any };
  explicit failing_allocation(long after, kind counted = arrays);
  ~failing_allocation();
  failing_allocation(const failing_allocation&) = delete;
  failing_allocation& operator=(const failing_allocation&) = delete;
};

}  // namespace test
