#include "app/progress.h"

#if !defined(_WIN32)

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

namespace {

using clock_type = std::chrono::steady_clock;

// Seconds of recent progress the time left is reckoned from.
constexpr double window = 3;

// What the interrupt handler needs, readable from a signal handler.
volatile sig_atomic_t line_fd = -1;
volatile sig_atomic_t line_width = 0;  // characters showing; 0 when none

// Overwrites width characters with blanks and returns to the line's start,
// with write(2) alone: safe in a signal handler.
void blank(int fd, int width) {
  static const char blanks[] =
      "\r                                                                "
      "                                                                \r";
  const int most = static_cast<int>(sizeof blanks) - 3;
  if (width > most) width = most;
  if (width <= 0) return;
  ssize_t ignored = ::write(fd, blanks, static_cast<std::size_t>(width) + 1);
  ignored = ::write(fd, blanks + sizeof blanks - 2, 1);
  static_cast<void>(ignored);
}

extern "C" void on_interrupt(int signal_number) {
  if (line_width > 0) blank(line_fd, line_width);
  // The handler was reset to the default on entry (SA_RESETHAND); the
  // signal raised again is delivered when this returns.
  raise(signal_number);
}

std::string duration_text(double seconds) {
  char text[32];
  const auto s = static_cast<long long>(seconds + 0.5);
  if (s < 1) return "under 1 s";
  if (s < 60) {
    std::snprintf(text, sizeof text, "%lld s", s);
  } else if (s < 3600) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s % 3600 / 60);
  }
  return text;
}

class terminal final : public progress_display {
 public:
  explicit terminal(int fd) : fd_(fd) {
    line_fd = fd;
    struct sigaction action = {};
    action.sa_handler = on_interrupt;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
  }

  ~terminal() override { end(); }

  void begin(stage what, std::int32_t operand, std::int64_t repetitions, bool result,
             const progress_counters& counters) override {
    end();
    stopping_ = false;
    drawer_ =
        std::thread([=, this, &counters] { draw(what, operand, repetitions, result, counters); });
  }

  void end() override {
    if (!drawer_.joinable()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    drawer_.join();
  }

 private:
  // Waits up to `period`; false once end() has been called.
  bool wait(clock_type::duration period) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, period, [this] { return stopping_; });
  }

  void draw(stage what, std::int32_t operand, std::int64_t repetitions, bool result,
            const progress_counters& counters) {
    const auto start = clock_type::now();
    const cost_model model(what, operand);  // O(n) for n!, off the timed thread
    const std::string name =
        what == stage::factorial ? std::to_string(operand) + "!" : "2^" + std::to_string(operand);
    // (seconds, computations done) of the draws of the last few seconds.
    std::deque<std::pair<double, double>> recent;
    if (wait(std::chrono::milliseconds(500))) {
      do {
        const double now = std::chrono::duration<double>(clock_type::now() - start).count();
        const std::int64_t finished = counters.repetitions_done.load(std::memory_order_relaxed);
        const double share = model.share(counters.step.load(std::memory_order_relaxed));
        // Computations done, the current one counted by its share; all of
        // them cost the same.
        const double done =
            std::min(static_cast<double>(repetitions), static_cast<double>(finished) + share);
        recent.emplace_back(now, done);
        while (recent.size() > 2 && now - recent.front().first > window)
          recent.pop_front();
        // The time left at the pace of the last few seconds, or of the whole
        // run until it has lasted that long: the model leaves out the
        // caches, whose misses make a long run's late steps slower still.
        const auto [then, done_then] = now > window ? recent.front() : std::pair{0.0, 0.0};
        const double pace = (done - done_then) / (now - then);
        show(line(name, repetitions, result, finished, share,
                  pace > 0 ? (static_cast<double>(repetitions) - done) / pace : -1));
      } while (wait(std::chrono::milliseconds(250)));
    }
    erase();
  }

  static std::string line(const std::string& name, std::int64_t repetitions, bool result,
                          std::int64_t finished, double share, double seconds_left) {
    std::string text = name + "  ";
    text += result ? std::string("result")
                   : std::to_string(std::min(finished + 1, repetitions)) + "/" +
                         std::to_string(repetitions);
    text += "  " + std::to_string(static_cast<int>(share * 100)) + "%";
    if (seconds_left >= 0) text += "  " + duration_text(seconds_left) + " left";
    return text;
  }

  void show(const std::string& text) {
    std::string out = "\r" + text;
    const int width = static_cast<int>(text.size());
    // Blanks over what is left of a longer line before.
    if (width < line_width) out += std::string(static_cast<std::size_t>(line_width - width), ' ');
    // Known to the interrupt handler before it can be on the screen.
    if (width > line_width) line_width = width;
    ssize_t ignored = ::write(fd_, out.data(), out.size());
    static_cast<void>(ignored);
  }

  void erase() {
    const int width = line_width;
    line_width = 0;
    blank(fd_, width);
  }

  int fd_;
  std::thread drawer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace

std::unique_ptr<progress_display> terminal_progress(int fd) {
  if (!::isatty(fd)) return nullptr;
  return std::make_unique<terminal>(fd);
}

#else

std::unique_ptr<progress_display> terminal_progress(int) { return nullptr; }

#endif
