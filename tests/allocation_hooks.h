// Hooks on the test binary's array allocations (uhigh's only kind): count
// them, and make one fail on demand to check what an operation leaves behind
// when the heap runs out. Both see only the calling thread's allocations.
#pragma once

namespace test {

// Array allocations made so far by the calling thread.
long array_allocations();

// While one lives, the calling thread's array allocation numbered `after`
// (0 = the next one) throws std::bad_alloc; allocations before it succeed.
class failing_allocation {
 public:
  explicit failing_allocation(long after);
  ~failing_allocation();
  failing_allocation(const failing_allocation&) = delete;
  failing_allocation& operator=(const failing_allocation&) = delete;
};

// The same for allocations of any kind, single objects included (the
// vectors and strings an operation makes for its own work): while one
// lives, the calling thread's allocation numbered `after` throws.
class failing_any_allocation {
 public:
  explicit failing_any_allocation(long after);
  ~failing_any_allocation();
  failing_any_allocation(const failing_any_allocation&) = delete;
  failing_any_allocation& operator=(const failing_any_allocation&) = delete;
};

}  // namespace test
