// How the program asks the C library's heap to treat its digit arrays.
#pragma once

namespace uhigh_bench {

// Keeps the memory of freed digit arrays in the process for the next ones,
// instead of handing it back to the system and faulting it in afresh; called
// once, first thing in main (and by the benchmarks, so that they measure
// what the program does). It changes where new[] finds its bytes, never
// which new[] and delete[] calls are made or their sizes. A no-op where the
// C library has no such settings (glibc has). Returns the mmap threshold
// it set, in bytes: the largest the C library accepts (32 MiB for 64-bit
// glibc, 512 KiB for 32-bit), or 0 where there is none.
long use_benchmark_heap_policy();

}  // namespace uhigh_bench
