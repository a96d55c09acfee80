#include "app/console/terminal_input.h"

#if !defined(_WIN32)

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#endif

namespace uhigh_bench {

#if !defined(_WIN32)

bool terminal_input::is_terminal(int fd) { return ::isatty(fd) == 1; }

void terminal_input::hold(const std::string& keys, char eof_key) {
  if (keys.empty() || end_ != std::string::npos || ended_) return;
  position_ = static_cast<std::size_t>(gptr() - eback());
  // Drop what has been consumed, so the buffer holds only what is unread.
  buffer_.erase(0, position_);
  if (unechoed_ != std::string::npos) unechoed_ -= position_;
  position_ = 0;
  if (unechoed_ == std::string::npos) unechoed_ = buffer_.size();
  const std::size_t eof_at = keys.find(eof_key);
  buffer_ += keys.substr(0, eof_at);
  if (eof_at != std::string::npos) end_ = buffer_.size();
  setg(buffer_.data(), buffer_.data(), buffer_.data() + buffer_.size());
}

void terminal_input::echo_next_answer(int fd) {
  position_ = static_cast<std::size_t>(gptr() - eback());
  if (unechoed_ == std::string::npos || unechoed_ >= buffer_.size()) return;
  // The terminal gives whole lines, so unread bytes before the held ones
  // end with a line end: an answer among them is read from them alone.
  for (std::size_t i = position_; i < unechoed_; ++i) {
    if (!std::isspace(static_cast<unsigned char>(buffer_[i]))) return;
  }
  const std::size_t from = std::max(unechoed_, position_);
  const std::size_t line_end = buffer_.find('\n', from);
  const std::size_t to = line_end == std::string::npos ? buffer_.size() : line_end + 1;
  for (std::size_t at = from; at < to;) {
    const ssize_t wrote = ::write(fd, buffer_.data() + at, to - at);
    if (wrote <= 0 && errno != EINTR) break;
    if (wrote > 0) at += static_cast<std::size_t>(wrote);
  }
  unechoed_ = to;
}

terminal_input::int_type terminal_input::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (ended_ || end_ != std::string::npos) return traits_type::eof();
  // Everything handed out is consumed: start the buffer afresh.
  buffer_.clear();
  position_ = 0;
  unechoed_ = std::string::npos;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got > 0) {
      buffer_.assign(chunk, static_cast<std::size_t>(got));
      break;
    }
    if (got < 0 && errno == EINTR) continue;
    ended_ = true;
    failed_ = got < 0;
    setg(nullptr, nullptr, nullptr);
    return traits_type::eof();
  }
  setg(buffer_.data(), buffer_.data(), buffer_.data() + buffer_.size());
  return traits_type::to_int_type(*gptr());
}

#endif

}  // namespace uhigh_bench
