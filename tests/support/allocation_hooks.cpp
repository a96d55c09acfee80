#include "allocation_hooks.h"

#include <cstdlib>
#include <new>

namespace {
// Per thread: a test counts and fails only the allocations of the thread it
// runs on. Other threads may allocate at any moment (the boundary tests start
// one from a static initialiser, which a loaded machine may schedule late,
// in the middle of another test's count).
thread_local long countdown = -1;      // < 0: never fail
thread_local long any_countdown = -1;  // the same, for allocations of any kind
thread_local long allocations = 0;

// Counted down only while it is not negative; true once, at zero.
bool fails_now(long& left) {
  const long was = left;
  if (was >= 0) left = was - 1;
  return was == 0;
}

void* allocate(std::size_t size) {
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void* operator new[](std::size_t size) {
  ++allocations;
  // Both countdowns tick on every allocation, so neither may short-circuit.
  const bool counted_down = fails_now(countdown);
  if (fails_now(any_countdown) || counted_down) throw std::bad_alloc();
  return allocate(size);
}

void* operator new(std::size_t size) {
  if (fails_now(any_countdown)) throw std::bad_alloc();
  return allocate(size);
}

void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace test {
long array_allocations() { return allocations; }
failing_allocation::failing_allocation(long after, kind counted) {
  (counted == arrays ? countdown : any_countdown) = after;
}
failing_allocation::~failing_allocation() { countdown = any_countdown = -1; }
}  // namespace test
