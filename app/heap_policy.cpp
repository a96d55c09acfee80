#include "app/heap_policy.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace uhigh_bench {

#if defined(__GLIBC__)
namespace {

// Whether a block of that size comes from the heap rather than a mapping
// of its own (glibc counts mapped blocks' bytes in hblkhd).
bool served_from_heap(std::size_t bytes) {
  const std::size_t mapped_before = mallinfo2().hblkhd;
  void* block = std::malloc(bytes);
  const bool heap = mallinfo2().hblkhd == mapped_before;
  std::free(block);
  return block != nullptr && heap;
}

}  // namespace
#endif

long use_benchmark_heap_policy() {
#if defined(__GLIBC__)
  // Without these, glibc serves arrays above its mmap threshold (128 KiB at
  // first, raised as large blocks are freed) from fresh mappings, and gives
  // the top of the heap back to the kernel whenever more than the trim
  // threshold is free there. A factorial frees and allocates arrays of the
  // product's size several times per step, so both paths made the kernel
  // unmap, fault in and zero the same pages step after step: about 12 % of
  // 20000!'s time, and more as n grows. With the thresholds raised, a freed
  // array's memory simply waits in the heap for the next new[] of its size.
  // The work the benchmark defines stays as it was: the same new[] and
  // delete[] calls, sizes and order, and the class still zero-fills every
  // array itself.
  //
  // What glibc takes is checked, not assumed: mallopt's result says only
  // that the request was read (Debian 12's glibc 2.36 returns 1 even for
  // 1 GiB, on 64-bit and, under qemu, on armhf alike), and older glibc
  // caps the threshold (32 MiB for 64-bit, 512 KiB for 32-bit) and keeps
  // its own above the cap. So each candidate, from the top down, is
  // tried with one allocation just below it: the first one that the heap
  // serves without a fresh mapping is the threshold in force.
  long threshold = 32L * 1024 * 1024;
  for (; threshold >= 256 * 1024; threshold /= 2) {
    if (mallopt(M_MMAP_THRESHOLD, static_cast<int>(threshold)) == 0) continue;
    if (served_from_heap(static_cast<std::size_t>(threshold / 2))) break;
  }
  if (threshold < 256 * 1024) threshold = 0;  // none held: glibc's own policy stays
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  return threshold;
#else
  return 0;
#endif
}

}  // namespace uhigh_bench
