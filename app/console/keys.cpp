#if !defined(_WIN32)

#include "app/console/keys.h"

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "app/console/signals.h"

namespace uhigh_bench::console {

key_reader::key_reader(int input_fd) : input_fd_(input_fd) {
  termios modes{};
  if (input_fd_ >= 0 && tcgetattr(input_fd_, &modes) == 0) {
    eof_key_ = static_cast<char>(modes.c_cc[VEOF]);
    erase_key_ = static_cast<char>(modes.c_cc[VERASE]);
    kill_key_ = static_cast<char>(modes.c_cc[VKILL]);
  } else {
    input_fd_ = -1;
  }
}

void key_reader::take(bool read) {
  reading_ = read;
  if (input_fd_ < 0 || tcgetattr(input_fd_, &saved_modes) != 0) return;
  phase_modes = saved_modes;
  phase_modes.c_lflag &= ~static_cast<tcflag_t>(read ? ICANON | ECHO : ECHO);
  if (read) {
    phase_modes.c_cc[VMIN] = 0;  // a read returns at once, with what there is
    phase_modes.c_cc[VTIME] = 0;
  }
  // Toggling the modes with TCSANOW discards nothing typed.
  keys_fd.store(input_fd_, std::memory_order_release);
  if (tcsetattr(input_fd_, TCSANOW, &phase_modes) != 0) keys_fd.store(-1);
}

void key_reader::give_back() {
  const int fd = keys_fd.exchange(-1);
  if (fd >= 0) tcsetattr(fd, TCSANOW, &saved_modes);
}

bool key_reader::read_available() {
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

std::string key_reader::typed_now() {
  const std::lock_guard<std::mutex> lock(mutex_);
  return typed_;
}

std::string key_reader::take_typed() {
  const std::lock_guard<std::mutex> lock(mutex_);
  std::string keys;
  keys.swap(typed_);
  return keys;
}

}  // namespace uhigh_bench::console

#endif  // !_WIN32
