#include "app/progress.h"

#if !defined(_WIN32)

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "bignum/kernels.h"

namespace {

using clock_type = std::chrono::steady_clock;

// Seconds of recent progress the time left is reckoned from.
constexpr double window = 3;

// What the signal handlers share with the display: lock-free atomics, so a
// handler in any thread reads what another thread wrote.
std::atomic<int> line_fd{-1};
std::atomic<bool> line_showing{false};
std::atomic<int> keys_fd{-1};  // standard input, while its keys are read raw
std::atomic<bool> resized{false};
std::atomic<bool> fail_threads{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "signal handlers need lock-free flags");
// The terminal's modes before a phase, and during it; written before
// keys_fd is set (release), read by a handler after it (acquire).
termios saved_modes{};
termios raw_modes{};

// Back to the start of the row and erase to the end of the screen (ED):
// the row goes, with anything typed onto it, and so do the rows that a
// narrowed window wrapped its tail onto.
constexpr char erase_rows[] = "\r\x1b[J";

// With write(2) alone: safe in a signal handler.
void erase_line(int fd) {
  ssize_t ignored = ::write(fd, erase_rows, sizeof erase_rows - 1);
  static_cast<void>(ignored);
}

// The terminal's width now; read at every draw, so a resized window is
// followed at the next one.
int columns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

// Erases the line and gives the terminal its modes back: what every way
// out of a phase by a signal does first.
void leave_terminal() {
  if (line_showing.exchange(false)) erase_line(line_fd.load());
  const int fd = keys_fd.load(std::memory_order_acquire);
  if (fd >= 0) tcsetattr(fd, TCSANOW, &saved_modes);
}

extern "C" void on_fatal_signal(int signal_number) {
  const int saved_errno = errno;
  leave_terminal();
  // The handler was reset to the default on entry (SA_RESETHAND); the
  // signal raised again is delivered when this returns.
  raise(signal_number);
  errno = saved_errno;
}

extern "C" void on_stop(int);

void install(int signal_number, void (*handler)(int), int flags) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

extern "C" void on_stop(int) {
  const int saved_errno = errno;
  leave_terminal();
  // Stop here, in the handler, by a signal that cannot be caught: the
  // whole process stops until SIGCONT, as by Ctrl-Z's own default action,
  // and then carries on from this point.
  kill(getpid(), SIGSTOP);
  // Continued: the keys are read raw again, and the drawing thread draws
  // the line at its next tick.
  const int fd = keys_fd.load(std::memory_order_acquire);
  if (fd >= 0) tcsetattr(fd, TCSANOW, &raw_modes);
  errno = saved_errno;
}

extern "C" void on_resize(int) { resized.store(true); }

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

// Keys as the line shows them: a line end as ^J, other control keys as ^X.
std::string visible(const std::string& keys) {
  std::string text;
  for (const char c : keys) {
    if (static_cast<unsigned char>(c) < 32) {
      text += '^';
      text += static_cast<char>(c + 64);
    } else {
      text += c;
    }
  }
  return text;
}

class terminal final : public progress_display {
 public:
  terminal(int fd, int input_fd) : fd_(fd), input_fd_(input_fd) {
    line_fd = fd;
    for (const int signal_number : {SIGINT, SIGQUIT, SIGTERM, SIGHUP})
      install(signal_number, on_fatal_signal, SA_RESETHAND);
    install(SIGTSTP, on_stop, SA_RESTART);
    install(SIGWINCH, on_resize, SA_RESTART);
    termios modes{};
    if (input_fd_ >= 0 && tcgetattr(input_fd_, &modes) == 0) {
      eof_key_ = static_cast<char>(modes.c_cc[VEOF]);
      erase_key_ = static_cast<char>(modes.c_cc[VERASE]);
      kill_key_ = static_cast<char>(modes.c_cc[VKILL]);
    } else {
      input_fd_ = -1;
    }
  }

  ~terminal() override { end(); }

  void begin(const progress_phase& phase, const progress_counters& counters) override {
    end();
    stopping_ = false;
    reading_ = phase.answers_follow;
    take_keys(reading_);
    try {
      if (fail_threads.load()) throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
      drawer_ = std::thread([=, this, &counters] { draw(phase, counters); });
    } catch (const std::system_error&) {
      // No thread, no line: the run goes on as it would without a
      // terminal, and the keys stay with the terminal.
      give_keys_back();
    }
  }

  void end() override {
    if (!drawer_.joinable()) return;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    drawer_.join();
    read_keys();  // any typed since the last tick
    give_keys_back();
  }

  std::string take_typed() override {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string keys;
    keys.swap(typed_);
    return keys;
  }

  char eof_key() const override { return eof_key_; }

 private:
  // For the phase: standard input without echo, and (read = true) in
  // non-canonical mode, so that a key typed now is read by the drawing
  // thread and shown on the line, where the terminal's own echo would be
  // erased by the next draw. Unread (read = false), keys wait in the
  // terminal's own line editing for the next reader; toggling the modes
  // with TCSANOW discards nothing.
  void take_keys(bool read) {
    if (input_fd_ < 0 || tcgetattr(input_fd_, &saved_modes) != 0) return;
    raw_modes = saved_modes;
    raw_modes.c_lflag &= ~static_cast<tcflag_t>(read ? ICANON | ECHO : ECHO);
    if (read) {
      raw_modes.c_cc[VMIN] = 0;  // a read returns at once, with what there is
      raw_modes.c_cc[VTIME] = 0;
    }
    keys_fd.store(input_fd_, std::memory_order_release);
    if (tcsetattr(input_fd_, TCSANOW, &raw_modes) != 0) keys_fd.store(-1);
  }

  void give_keys_back() {
    const int fd = keys_fd.exchange(-1);
    if (fd >= 0) tcsetattr(fd, TCSANOW, &saved_modes);
  }

  // Takes what the terminal has for us without waiting; true when any key
  // came. The erase and kill keys edit what is held, as the terminal's
  // line editing would have.
  bool read_keys() {
    if (!reading_ || keys_fd.load() < 0) return false;
    char chunk[256];
    bool any = false;
    for (;;) {
      // Only what is there now: a stop restores canonical mode for a while,
      // and a read in it would wait for a whole line, long after SIGCONT.
      pollfd ready{input_fd_, POLLIN, 0};
      if (::poll(&ready, 1, 0) != 1 || (ready.revents & POLLIN) == 0) break;
      const ssize_t got = ::read(input_fd_, chunk, sizeof chunk);
      if (got <= 0) break;
      any = true;
      const std::lock_guard<std::mutex> lock(mutex_);
      for (ssize_t i = 0; i < got; ++i) {
        const char c = chunk[i];
        if ((c == erase_key_ || c == '\b') && !typed_.empty() && typed_.back() != '\n') {
          typed_.pop_back();
        } else if (c == kill_key_) {
          while (!typed_.empty() && typed_.back() != '\n')
            typed_.pop_back();
        } else if (c != erase_key_) {
          typed_ += c;
        }
      }
    }
    return any;
  }

  std::string typed_now() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return typed_;
  }

  // Waits up to `period`; false once end() has been called.
  bool wait(clock_type::duration period) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !wake_.wait_for(lock, period, [this] { return stopping_; });
  }

  void draw(const progress_phase& phase, const progress_counters& counters) {
    const auto start = clock_type::now();
    const cost_model model(phase.what, phase.operand);  // O(1) in n
    const std::string name = phase.what == stage::factorial ? std::to_string(phase.operand) + "!"
                                                            : "2^" + std::to_string(phase.operand);
    // The stage's computations, the result's included; all cost the same.
    const auto total = static_cast<double>(phase.timed) + 1;
    const double before = phase.result ? static_cast<double>(phase.timed) : 0;  // done already
    const double in_phase = phase.result ? 1 : static_cast<double>(phase.timed);
    // (seconds, computations done in this phase) of the draws of the last
    // few seconds.
    std::deque<std::pair<double, double>> recent;
    double shown_left = -1, shown_at = 0;
    std::int64_t finished_then = 0;
    // Ticks of 50 ms read the keys; the line is drawn every fifth tick, or
    // at once when a key comes or the window changes.
    bool started = false;
    int tick = 0;
    const auto first = std::chrono::milliseconds(500);
    while (wait(std::chrono::milliseconds(50))) {
      const bool keys = read_keys();
      const bool wide = resized.exchange(false);
      if (!started) {
        if (clock_type::now() - start < first) continue;
        started = true;
      } else if (++tick % 5 != 0 && !keys && !wide) {
        continue;
      }
      const double now = std::chrono::duration<double>(clock_type::now() - start).count();
      const std::int64_t finished = counters.repetitions_done.load(std::memory_order_relaxed);
      const double share = model.share(counters.step.load(std::memory_order_relaxed));
      // Computations done in this phase, the current one counted by its share.
      const double done = std::min(in_phase, static_cast<double>(finished) + share);
      recent.emplace_back(now, done);
      while (recent.size() > 2 && now - recent.front().first > window)
        recent.pop_front();
      // The time left at the pace of the last few seconds, or of the whole
      // phase until it has lasted that long: the model leaves out the
      // caches, whose misses make a long run's late steps slower still.
      const auto [then, done_then] = now > window ? recent.front() : std::pair{0.0, 0.0};
      const double pace = (done - done_then) / (now - then);
      const double estimate = pace > 0 ? (total - before - done) / pace : -1;
      // What is shown only falls, as time passes, unless a repetition just
      // ended and proved slower than the estimate made during it.
      const double counted_down = shown_left - (now - shown_at);
      if (shown_left < 0 || estimate < counted_down || finished != finished_then) {
        shown_left = estimate;
      } else {
        shown_left = std::max(counted_down, 0.0);
      }
      shown_at = now;
      finished_then = finished;
      show(line(name, phase, finished, (before + done) / total, shown_left, typed_now()));
    }
    erase();
  }

  // "20000!  2/3 then untimed result  45%  4 s left  avx512", or during the
  // result's computation "20000!  untimed result  90%  under 1 s left  avx512".
  static std::string line(const std::string& name, const progress_phase& phase,
                          std::int64_t finished, double whole_share, double seconds_left,
                          const std::string& typed) {
    std::string text = name + "  ";
    if (!phase.result) {
      text += std::to_string(std::min(finished + 1, phase.timed)) + "/" +
              std::to_string(phase.timed) + " then ";
    }
    text += "untimed result";
    text += "  " + std::to_string(static_cast<int>(whole_share * 100)) + "%";
    if (seconds_left >= 0) text += "  " + duration_text(seconds_left) + " left";
    if (!typed.empty()) text += "  typed: " + visible(typed);
    text += "  ";
    text += uhigh_kernels::active_form();
    return text;
  }

  void show(std::string text) {
    // Never as wide as the terminal: a full row would wrap on some
    // terminals, and a wrapped row is out of reach of the next \r.
    const auto room = static_cast<std::size_t>(std::max(columns(fd_) - 1, 1));
    if (text.size() > room) text.resize(room);
    // The cursor is left at the row's start, and everything from there to
    // the end of the screen is cleared first: what an earlier, wider line
    // left is gone.
    const std::string out = "\r\x1b[J" + text + "\r";
    // Known to the signal handlers before it can be on the screen.
    line_showing = true;
    ssize_t ignored = ::write(fd_, out.data(), out.size());
    static_cast<void>(ignored);
  }

  void erase() {
    if (line_showing.exchange(false)) erase_line(fd_);
  }

  int fd_;
  int input_fd_;
  char eof_key_ = '\x04', erase_key_ = '\x7f', kill_key_ = '\x15';
  std::thread drawer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool reading_ = false;  // whether this phase reads the keys (set before its thread starts)
  std::string typed_;  // keys read during phases, not yet taken
};

}  // namespace

void fail_progress_threads_for_testing(bool fail) { fail_threads.store(fail); }

std::unique_ptr<progress_display> terminal_progress(int fd, int input_fd) {
  // A dumb terminal has no erase to the end of the screen.
  const char* term = std::getenv("TERM");
  if (!::isatty(fd) || (term != nullptr && std::string(term) == "dumb")) return nullptr;
  return std::make_unique<terminal>(fd, input_fd >= 0 && ::isatty(input_fd) ? input_fd : -1);
}

#else

std::unique_ptr<progress_display> terminal_progress(int, int) { return nullptr; }
void fail_progress_threads_for_testing(bool) {}

#endif
