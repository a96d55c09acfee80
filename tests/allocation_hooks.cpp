#include "allocation_hooks.h"

#include <cstdlib>
#include <new>

namespace {
// Per thread: a test counts and fails only the allocations of the thread it
// runs on. Other threads may allocate at any moment (the boundary tests start
// one from a static initialiser, which a loaded machine may schedule late,
// in the middle of another test's count).
thread_local long countdown = -1;  // < 0: never fail
thread_local long allocations = 0;
}  // namespace

void* operator new[](std::size_t size) {
  ++allocations;
  // Counted down only while it is not negative, and failed once at zero.
  const long left = countdown;
  if (left >= 0) countdown = left - 1;
  if (left == 0) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace test {
long array_allocations() { return allocations; }
failing_allocation::failing_allocation(long after) { countdown = after; }
failing_allocation::~failing_allocation() { countdown = -1; }
}  // namespace test
