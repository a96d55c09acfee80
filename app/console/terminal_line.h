// The progress line on a POSIX terminal: a drawing thread per phase, which
// reads the keys (keys.h), reckons the time left (time_left.h) and draws
// the line (line.h), with the signal handlers of signals.h installed for as
// long as one exists. terminal_progress() makes one; see progress.h for
// what the user sees.
#pragma once

#if !defined(_WIN32)

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "app/console/keys.h"
#include "app/console/progress.h"

namespace uhigh_bench::console {

class terminal_line : public progress_display {
 public:
  terminal_line(int fd, int input_fd);
  ~terminal_line() override;

  void begin(const progress_phase& phase, const progress_counters& counters) override;
  void end() override;
  std::string take_typed() override { return keys_.take_typed(); }
  char eof_key() const override { return keys_.eof_key(); }

 protected:
  // Starts the phase's drawing thread; throws std::system_error when the
  // system cannot, as an exhausted one does (then the phase runs without a
  // line). A subclass may start it otherwise.
  virtual std::thread start_drawing(std::function<void()> draw) {
    return std::thread(std::move(draw));
  }

 private:
  // Waits up to `period`; false once end() has been called.
  bool wait(std::chrono::steady_clock::duration period);
  void draw(const progress_phase& phase, const progress_counters& counters);

  int fd_;
  key_reader keys_;
  std::thread drawer_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
};

}  // namespace uhigh_bench::console

#endif  // !_WIN32
