#include "app/progress.h"

#if !defined(_WIN32)

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "bignum/kernels.h"

namespace {

using clock_type = std::chrono::steady_clock;

// Seconds of recent progress the time left is reckoned from.
constexpr double window = 3;

// What the interrupt handler needs, readable from a signal handler.
volatile sig_atomic_t line_fd = -1;
volatile sig_atomic_t line_showing = 0;

// Back to the start of the row and erase to its end (the terminal's EL):
// the whole row goes, with anything typed onto it since the line was drawn.
constexpr char erase_row[] = "\r\x1b[K";

// With write(2) alone: safe in a signal handler.
void erase_line(int fd) {
  ssize_t ignored = ::write(fd, erase_row, sizeof erase_row - 1);
  static_cast<void>(ignored);
}

// The terminal's width now; read at every draw, so a resized window is
// followed at the next one.
int columns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

extern "C" void on_interrupt(int signal_number) {
  if (line_showing != 0) erase_line(line_fd);
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
    text += "  ";
    text += uhigh_kernels::active_form();
    return text;
  }

  void show(std::string text) {
    // Never as wide as the terminal: a full row would wrap on some
    // terminals, and a wrapped row is out of reach of the next \r.
    const auto room = static_cast<std::size_t>(std::max(columns(fd_) - 1, 1));
    if (text.size() > room) text.resize(room);
    // The cursor is left at the row's start: what the user types during
    // the run is echoed onto this row, never wrapped below it, and the next
    // draw or the erase clears it with the line.
    const std::string out = "\r" + text + "\x1b[K\r";
    // Known to the interrupt handler before it can be on the screen.
    line_showing = 1;
    ssize_t ignored = ::write(fd_, out.data(), out.size());
    static_cast<void>(ignored);
  }

  void erase() {
    if (line_showing == 0) return;
    line_showing = 0;
    erase_line(fd_);
  }

  int fd_;
  std::thread drawer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace

std::unique_ptr<progress_display> terminal_progress(int fd) {
  // A dumb terminal has no erase to end of line.
  const char* term = std::getenv("TERM");
  if (!::isatty(fd) || (term != nullptr && std::string(term) == "dumb")) return nullptr;
  return std::make_unique<terminal>(fd);
}

#else

std::unique_ptr<progress_display> terminal_progress(int) { return nullptr; }

#endif
