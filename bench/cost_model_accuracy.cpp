// How well the progress line's cost model predicts real time on this
// machine: a measurement, printed, never a pass/fail test (the shape of the
// model is tested on counted work in tests/app/cost_model_test.cpp).
//
// Usage: cost_model_accuracy [SECONDS]
// For each stage it takes the smallest size, doubling, whose computation
// takes at least SECONDS (0.5 by default), runs it on a thread while
// sampling the steps every millisecond, and prints at a quarter, a half and
// three quarters of the estimated work the total time the model predicts
// then (time so far / share done) against the time the run really took.
// Time is the computing thread's own processor time, which other work on
// the machine does not stretch; the progress line itself uses wall time.
#include <pthread.h>
#include <time.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/cost_model.h"
#include "app/heap_policy.h"
#include "app/stage_work.h"

using namespace uhigh_bench;

namespace {

double cpu_seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void run_once(stage what, int size, std::atomic<std::int64_t>& steps) {
  if (what == stage::factorial) {
    stage_work::factorial_repetition(size, steps);
  } else {
    stage_work::power_repetition(size, steps);
  }
}

int long_enough(stage what, int size, double seconds) {
  for (;; size *= 2) {
    std::atomic<std::int64_t> steps{0};
    const auto start = std::chrono::steady_clock::now();
    run_once(what, size, steps);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() >= seconds) return size;
  }
}

void report(stage what, int size) {
  const cost_model model(what, size);
  std::atomic<std::int64_t> steps{0};
  std::atomic<bool> started{false}, done{false};
  std::atomic<double> finished_at{0};
  std::thread worker([&] {
    while (!started)
      std::this_thread::yield();
    run_once(what, size, steps);
    finished_at = cpu_seconds(CLOCK_THREAD_CPUTIME_ID);
    done = true;
  });
  clockid_t clock{};
  pthread_getcpuclockid(worker.native_handle(), &clock);
  const double start = cpu_seconds(clock);
  started = true;
  struct sample {
    double elapsed, share;
  };
  std::vector<sample> samples;
  while (!done) {
    const double share = model.share(steps.load(std::memory_order_relaxed));
    samples.push_back({cpu_seconds(clock) - start, share});
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  worker.join();
  const double total = finished_at - start;
  std::printf("%s%d%s: %.3f s of processor time\n", what == stage::factorial ? "" : "2^", size,
              what == stage::factorial ? "!" : "", total);
  for (const double mark : {0.25, 0.5, 0.75}) {
    for (const sample& s : samples) {
      if (s.share < mark) continue;
      const double predicted = s.elapsed / s.share;
      std::printf("  at %3.0f%% of the work: predicts %.3f s, %+.0f%%\n", s.share * 100, predicted,
                  (predicted / total - 1) * 100);
      break;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
  if (argc > 2 || !(seconds > 0)) {
    std::fprintf(stderr, "usage: cost_model_accuracy [SECONDS]\n");
    return 2;
  }
  use_benchmark_heap_policy();  // as the program runs
  report(stage::factorial, long_enough(stage::factorial, 1000, seconds));
  report(stage::power, long_enough(stage::power, 10000, seconds));
}
