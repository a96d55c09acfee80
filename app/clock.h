// The benchmark's clock: wall-clock milliseconds as a signed 32-bit count.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace uhigh_bench {

class millisecond_clock {
 public:
  virtual ~millisecond_clock() = default;
  // Milliseconds since some fixed origin; wraps modulo 2^32. Only the
  // difference of two readings means anything.
  virtual std::int32_t now_ms() = 0;
  // Milliseconds the process has spent stopped by job control since the
  // origin, modulo 2^32: time that now_ms() leaves out. 0 for a clock that
  // cannot see stops.
  virtual std::int32_t stopped_ms() { return 0; }
};

// Steady wall time counted from the object's construction, which main does
// first thing, so readings count from program start; less the time the
// process was stopped (Ctrl-Z, SIGTSTP, SIGSTOP, SIGTTIN, SIGTTOU) until
// SIGCONT, for a stopped process computes nothing. One lives at a time.
//
// How a stop is seen (POSIX): a watcher thread notes the time every 20 ms,
// and a SIGCONT handler counts continues. A gap between two notes that a
// continue explains is time stopped, less one period: so the clock never
// leaves out time the computation ran, and counts at most 20 ms of a stop.
// The watcher sleeps between notes (about 50 wake-ups a second on whichever
// core is idle; the timed work runs on one thread and never waits for it).
// On Windows nothing stops a process this way and there is no watcher.
class steady_millisecond_clock final : public millisecond_clock {
 public:
  steady_millisecond_clock();
  ~steady_millisecond_clock() override;
  steady_millisecond_clock(const steady_millisecond_clock&) = delete;
  steady_millisecond_clock& operator=(const steady_millisecond_clock&) = delete;

  std::int32_t now_ms() override;
  std::int32_t stopped_ms() override;

 private:
  struct stop_watch;
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
  std::unique_ptr<stop_watch> stops_;  // null where stops cannot be seen
};

}  // namespace uhigh_bench
