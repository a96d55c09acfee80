#include "app/console/terminal_line.h"
#include "app/console/progress.h"

#include <cstdlib>
#include <memory>
#include <string>

#if !defined(_WIN32)

#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "app/console/line.h"
#include "app/console/signals.h"
#include "app/console/time_left.h"

namespace uhigh_bench {
namespace console {

terminal_line::terminal_line(int fd, int input_fd) : fd_(fd), keys_(input_fd) {
  line_fd = fd;
  install_handlers();
}

terminal_line::~terminal_line() { terminal_line::end(); }

void terminal_line::begin(const progress_phase& phase, const progress_counters& counters) {
  end();
  stopping_ = false;
  keys_.take(phase.answers_follow);
  try {
    drawer_ = start_drawing([=, this, &counters] { draw(phase, counters); });
  } catch (const std::system_error&) {
    // No thread, no line: the run goes on as it would without a terminal,
    // and the keys stay with the terminal.
    keys_.give_back();
  }
}

void terminal_line::end() {
  if (!drawer_.joinable()) return;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  drawer_.join();
  keys_.read_available();  // any typed since the last tick
  keys_.give_back();
}

bool terminal_line::wait(std::chrono::steady_clock::duration period) {
  std::unique_lock<std::mutex> lock(mutex_);
  return !wake_.wait_for(lock, period, [this] { return stopping_; });
}

void terminal_line::draw(const progress_phase& phase, const progress_counters& counters) {
  using clock_type = std::chrono::steady_clock;
  const auto start = clock_type::now();
  const cost_model model(phase.what, phase.operand);  // O(1) in n
  // The stage's computations, the result's included; all cost the same.
  const auto total = static_cast<double>(phase.timed) + 1;
  const double before = phase.result ? static_cast<double>(phase.timed) : 0;  // done already
  const double in_phase = phase.result ? 1 : static_cast<double>(phase.timed);
  time_left left(total - before);
  // Ticks of 50 ms read the keys; the line is drawn every fifth tick, or at
  // once when a key comes or the window changes. Nothing shows for a phase
  // that ends within half a second.
  bool started = false;
  int tick = 0;
  const auto first = std::chrono::milliseconds(500);
  while (wait(std::chrono::milliseconds(50))) {
    const bool keys = keys_.read_available();
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
    const double seconds_left = left.update(now, done, finished);
    show(fd_, line_text(phase, finished, (before + done) / total, seconds_left, keys_.typed_now()));
  }
  erase(fd_);
}

}  // namespace console

std::unique_ptr<progress_display> terminal_progress(int fd, int input_fd) {
  // A dumb terminal has no erase to the end of the screen.
  const char* term = std::getenv("TERM");
  if (!::isatty(fd) || (term != nullptr && std::string(term) == "dumb")) return nullptr;
  return std::make_unique<console::terminal_line>(
      fd, input_fd >= 0 && ::isatty(input_fd) ? input_fd : -1);
}

}  // namespace uhigh_bench

#else

std::unique_ptr<uhigh_bench::progress_display> uhigh_bench::terminal_progress(int, int) {
  return nullptr;
}

#endif  // !_WIN32
