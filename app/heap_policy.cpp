#include "app/heap_policy.h"

#include <cstdlib>  // defines __GLIBC__ on glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void use_benchmark_heap_policy() {
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
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);  // the largest glibc accepts
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}
