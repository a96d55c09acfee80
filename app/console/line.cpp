#include "app/console/line.h"

#include <algorithm>

#include "app/console/time_left.h"
#include "bignum/kernels.h"

#if !defined(_WIN32)
#include <sys/ioctl.h>
#include <unistd.h>

#include "app/console/signals.h"
#endif

namespace uhigh_bench::console {
namespace {

// Keys as the line shows them: a line end as ^J, other control keys as ^X;
// bytes of 128 and up (UTF-8 text) as they are.
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

}  // namespace

std::string line_text(const progress_phase& phase, std::int64_t finished, double whole_share,
                      double seconds_left, const std::string& typed) {
  std::string text = phase.what == stage::factorial ? std::to_string(phase.operand) + "!"
                                                    : "2^" + std::to_string(phase.operand);
  text += "  ";
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

#if !defined(_WIN32)

namespace {

// The terminal's width now; read at every draw, so a resized window is
// followed at the next one.
int columns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

}  // namespace

void show(int fd, std::string text) {
  // Never as wide as the terminal: a full row would wrap on some
  // terminals, and a wrapped row is out of reach of the next \r.
  const auto room = static_cast<std::size_t>(std::max(columns(fd) - 1, 1));
  if (text.size() > room) text.resize(room);
  // The cursor is left at the row's start, and everything from there to
  // the end of the screen is cleared first: what an earlier, wider line
  // left is gone.
  const std::string out = erase_rows + text + "\r";
  // Known to the signal handlers before it can be on the screen.
  line_showing = true;
  ssize_t ignored = ::write(fd, out.data(), out.size());
  static_cast<void>(ignored);
}

void erase(int fd) {
  if (line_showing.exchange(false)) erase_line(fd);
}

#endif

}  // namespace uhigh_bench::console
