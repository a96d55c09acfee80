#if !defined(_WIN32)

#include "app/console/signals.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace uhigh_bench::console {

std::atomic<int> line_fd{-1};
std::atomic<bool> line_showing{false};
std::atomic<int> keys_fd{-1};
std::atomic<bool> resized{false};
termios saved_modes{};
termios phase_modes{};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "the signal handlers need lock-free atomics");

void erase_line(int fd) {
  ssize_t ignored = ::write(fd, erase_rows, sizeof erase_rows - 1);
  static_cast<void>(ignored);
}

namespace {

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

extern "C" void on_stop(int) {
  const int saved_errno = errno;
  leave_terminal();
  // Stop here, in the handler, by a signal that cannot be caught: the
  // whole process stops until SIGCONT, as by Ctrl-Z's own default action,
  // and then carries on from this point.
  kill(getpid(), SIGSTOP);
  // Continued: the phase's modes again, and the drawing thread draws the
  // line at its next tick.
  const int fd = keys_fd.load(std::memory_order_acquire);
  if (fd >= 0) tcsetattr(fd, TCSANOW, &phase_modes);
  errno = saved_errno;
}

extern "C" void on_resize(int) { resized.store(true); }

void install(int signal_number, void (*handler)(int), int flags) {
  struct sigaction action = {};
  action.sa_handler = handler;
  action.sa_flags = flags;
  sigemptyset(&action.sa_mask);
  sigaction(signal_number, &action, nullptr);
}

}  // namespace

void install_handlers() {
  for (const int signal_number : {SIGINT, SIGQUIT, SIGTERM, SIGHUP})
    install(signal_number, on_fatal_signal, SA_RESETHAND);
  install(SIGTSTP, on_stop, SA_RESTART);
  install(SIGWINCH, on_resize, SA_RESTART);
}

}  // namespace uhigh_bench::console

#endif  // !_WIN32
