#include "allocation_hooks.h"

#include <cstdlib>
#include <new>

namespace {
long countdown = -1;  // < 0: never fail
long allocations = 0;
}  // namespace

void* operator new[](std::size_t size) {
  ++allocations;
  if (countdown == 0) {
    countdown = -1;
    throw std::bad_alloc();
  }
  if (countdown > 0) --countdown;
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
