#include "allocation_hooks.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// Atomic, as any thread may allocate (one started by a static initialiser
// does); the counts are only read by the test that set them up.
std::atomic<long> countdown{-1};  // < 0: never fail
std::atomic<long> allocations{0};
}  // namespace

void* operator new[](std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  long left = countdown.load(std::memory_order_relaxed);
  // Counted down only while it is positive, and failed once at zero.
  while (left >= 0 && !countdown.compare_exchange_weak(left, left == 0 ? -1 : left - 1,
                                                       std::memory_order_relaxed)) {
  }
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
