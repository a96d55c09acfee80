// The benchmark binaries' command line: the benchmarks to run are named,
// STAGE/CONTENDER/SIZE, before Google Benchmark's own flags, so that
// bench/compare.py can run one contender at one size in a fresh process,
// turn by turn, and read Google Benchmark's JSON of it.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace bench {

// This process's peak resident memory so far, in KiB (VmHWM, which belongs
// to the process's own address space; getrusage's maxrss keeps the parent's
// figure across fork and exec). -1 where there is no /proc.
inline double peak_kib() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  }
  std::fclose(status);
  return static_cast<double>(kib);
}

// The body of one named benchmark: one iteration is one repetition of the
// work. Null when the binary has no such contender or stage.
using body = std::function<void(benchmark::State&)>;
using maker =
    std::function<body(const std::string& stage, const std::string& contender, long size)>;

// Registers each name on the command line with make's body, in seconds of
// wall time per iteration, with the process's peak memory as the counter
// peak_kib, then runs them with Google Benchmark's flags
// (those that start with --). Exit status 2 for a name the binary lacks.
inline int run_named(int argc, char** argv, const maker& make) {
  std::vector<char*> flags{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) == 0) {
      flags.push_back(argv[i]);
      continue;
    }
    const auto first = arg.find('/'), last = arg.rfind('/');
    body run;
    if (first != std::string::npos && last != first) {
      char* end = nullptr;
      const long size = std::strtol(arg.c_str() + last + 1, &end, 10);
      if (*end == '\0' && size >= 0 && last + 1 < arg.size())
        run = make(arg.substr(0, first), arg.substr(first + 1, last - first - 1), size);
    }
    if (!run) {
      std::fprintf(stderr, "%s: no benchmark %s (STAGE/CONTENDER/SIZE)\n", argv[0], arg.c_str());
      return 2;
    }
    benchmark::RegisterBenchmark(arg.c_str(),
                                 [run](benchmark::State& state) {
                                   run(state);
                                   state.counters["peak_kib"] = peak_kib();
                                 })
        ->Unit(benchmark::kSecond)
        ->UseRealTime();
  }
  int count = static_cast<int>(flags.size());
  benchmark::Initialize(&count, flags.data());
  if (benchmark::ReportUnrecognizedArguments(count, flags.data())) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
