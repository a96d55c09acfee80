// The heap policy the program sets before it times anything.
#include "app/heap_policy.h"

#include <gtest/gtest.h>

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

using namespace uhigh_bench;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool own_allocator = true;  // the sanitizer's malloc, not glibc's
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool own_allocator = true;
#else
constexpr bool own_allocator = false;
#endif
#else
constexpr bool own_allocator = false;
#endif

TEST(HeapPolicy, SetsTheLargestThresholdTheLibraryAccepts) {
  if (own_allocator) GTEST_SKIP() << "a sanitizer's allocator has no glibc settings";
#if defined(__GLIBC__)
  // 32 MiB wherever glibc takes it (every glibc for 64 bits; 2.36 on
  // 32-bit ARM too, checked under qemu), else the largest power of two
  // that holds; and a block below it then comes from the heap.
  const long threshold = use_benchmark_heap_policy();
  EXPECT_GE(threshold, 512L << 10);
  if (sizeof(long) == 8) {
    EXPECT_EQ(threshold, 32L << 20);
  }
  const std::size_t mapped_before = mallinfo2().hblkhd;
  void* block = std::malloc(static_cast<std::size_t>(threshold) - 4096);
  EXPECT_EQ(mallinfo2().hblkhd, mapped_before);
  std::free(block);
#else
  EXPECT_EQ(use_benchmark_heap_policy(), 0);
#endif
}
