#include "app/clock.h"

#if !defined(_WIN32)

#include <signal.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#endif

namespace uhigh_bench {

#if !defined(_WIN32)

namespace {

// Continues since program start: the only thing the SIGCONT handler does.
std::atomic<unsigned> continues{0};
static_assert(std::atomic<unsigned>::is_always_lock_free,
              "a signal handler needs a lock-free counter");

extern "C" void on_continue(int) { continues.fetch_add(1, std::memory_order_relaxed); }

constexpr std::int64_t period_ms = 20;

}  // namespace

struct steady_millisecond_clock::stop_watch {
  explicit stop_watch(std::chrono::steady_clock::time_point origin) : origin(origin) {
    struct sigaction action = {};
    action.sa_handler = on_continue;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCONT, &action, &previous_action);
    seen = continues.load();
    watcher = std::thread([this] { watch(); });  // may throw: then no stop_watch
  }

  ~stop_watch() {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      ending = true;
    }
    wake.notify_all();
    watcher.join();
    sigaction(SIGCONT, &previous_action, nullptr);
  }

  std::int64_t raw_ms() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 origin)
        .count();
  }

  // Notes the time `now`; with the mutex held. A gap longer than a period
  // since the last note is held as a possible stop; a continue seen within
  // three periods of it makes it one. (The watcher and the handler both run
  // at a resume, in no set order: the gap may be noted before the continue
  // is counted, or after.)
  void note(std::int64_t now) {
    const std::int64_t gap = now - previous_note;
    previous_note = now;
    if (gap > period_ms) {
      held = gap - period_ms;
      held_at = now;
    }
    const unsigned count = continues.load(std::memory_order_relaxed);
    if (count != seen) {
      seen = count;
      if (now - held_at <= 3 * period_ms) stopped += held;
      held = 0;
    }
  }

  // Milliseconds stopped so far, with the time noted now.
  std::int64_t stopped_now() {
    const std::lock_guard<std::mutex> lock(mutex);
    note(raw_ms());
    return stopped;
  }

  void watch() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!wake.wait_for(lock, std::chrono::milliseconds(period_ms), [this] { return ending; }))
      note(raw_ms());
  }

  std::chrono::steady_clock::time_point origin;
  struct sigaction previous_action = {};
  std::mutex mutex;
  std::condition_variable wake;
  bool ending = false;
  std::int64_t previous_note = 0, held = 0, held_at = 0, stopped = 0;
  unsigned seen = 0;
  std::thread watcher;  // last: started once everything above is set
};

steady_millisecond_clock::steady_millisecond_clock() {
  try {
    stops_ = std::make_unique<stop_watch>(origin_);
  } catch (const std::system_error&) {
    // No thread to watch with: stops are counted in, as by a plain clock.
  }
}

std::int32_t steady_millisecond_clock::stopped_ms() {
  return stops_ ? static_cast<std::int32_t>(stops_->stopped_now()) : 0;
}

#else

struct steady_millisecond_clock::stop_watch {};

steady_millisecond_clock::steady_millisecond_clock() = default;

std::int32_t steady_millisecond_clock::stopped_ms() { return 0; }

#endif

steady_millisecond_clock::~steady_millisecond_clock() = default;

std::int32_t steady_millisecond_clock::now_ms() {
  // Stopped time first, so that the reading below is never earlier than the
  // last note it was reckoned from.
  const std::int64_t stopped = stopped_ms();
  const auto elapsed = std::chrono::steady_clock::now() - origin_;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() - stopped;
  // Conversion to a narrower signed type is modulo 2^32, as a tick counter wraps.
  return static_cast<std::int32_t>(ms);
}

}  // namespace uhigh_bench
