// The program's console: the progress line when its thread cannot start, the
// note of a stopped run, and terminal input handed on in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <system_error>
#include <thread>

#include "app/console/progress.h"
#include "app/console/terminal_input.h"
#include "app/console/terminal_line.h"
#include "app/console/time_left.h"
#include "app/dialogue.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

using namespace uhigh_bench;

#if !defined(_WIN32)

namespace {

// A pseudo-terminal: the program's side (a terminal to it) and ours.
struct pseudo_terminal {
  int ours = -1, theirs = -1;
  pseudo_terminal() {
    ours = posix_openpt(O_RDWR | O_NOCTTY);
    if (ours < 0 || grantpt(ours) != 0 || unlockpt(ours) != 0) return;
    theirs = open(ptsname(ours), O_RDWR | O_NOCTTY);
    fcntl(ours, F_SETFL, O_NONBLOCK);
  }
  ~pseudo_terminal() {
    if (theirs >= 0) close(theirs);
    if (ours >= 0) close(ours);
  }
  std::string received() const {
    std::string text;
    char chunk[256];
    for (ssize_t got; (got = read(ours, chunk, sizeof chunk)) > 0;)
      text.append(chunk, static_cast<std::size_t>(got));
    return text;
  }
};

class fixed_clock final : public millisecond_clock {
 public:
  std::int32_t now_ms() override { return 0; }
};

}  // namespace

// A line whose drawing thread cannot start, as on an exhausted system.
class threadless_line final : public console::terminal_line {
 public:
  using terminal_line::terminal_line;

 private:
  std::thread start_drawing(std::function<void()>) override {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  }
};

TEST(Console, ProgressARunGoesOnWithoutALineWhenItsThreadCannotStart) {
  const pseudo_terminal terminal;
  ASSERT_GE(terminal.theirs, 0);
  const auto display = std::make_unique<threadless_line>(terminal.theirs, -1);
  progress_counters counters;
  EXPECT_NO_THROW(display->begin({stage::factorial, 100, 1, false, true}, counters));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));  // a line would show by now
  display->end();
  EXPECT_EQ(terminal.received(), "");
  // And the whole program runs through with it.
  std::istringstream in("5 1 3 1\n");
  std::ostringstream out, err;
  fixed_clock clock;
  console_hooks console;
  console.progress = display.get();
  EXPECT_EQ(run_program(in, out, err, clock, console), 0);
  EXPECT_NE(out.str().find("5! = 120"), std::string::npos);
  EXPECT_NE(out.str().find("2^3 = 8"), std::string::npos);
}

// A clock whose stops are scripted: the power stage's timed run spans a
// 15 s stop that wrapped the 32-bit count.
class stopping_clock final : public millisecond_clock {
 public:
  std::int32_t now_ms() override { return 0; }
  std::int32_t stopped_ms() override {
    static const std::int32_t script[] = {7, 7, 2147483000, -2147468944};
    return script[std::min<std::size_t>(next_++, 3)];
  }

 private:
  std::size_t next_ = 0;
};

TEST(Console, TimeLeftTextChangesUnitExactlyAtTheMinuteAndTheHour) {
  // Catches an edge off by one: "60 s" for a minute, "60 min" for an hour.
  using console::duration_text;
  const std::pair<double, const char*> cases[] = {
      {0.4, "under 1 s"}, {0.5, "1 s"},          {59.4, "59 s"},         {59.5, "1 min 00 s"},
      {60, "1 min 00 s"}, {3599, "59 min 59 s"}, {3599.5, "1 h 00 min"}, {7325, "2 h 02 min"}};
  for (const auto& [seconds, text] : cases)
    EXPECT_EQ(duration_text(seconds), text) << seconds;
}

TEST(Console, ATimedRunThatWasStoppedSaysSoOnlyOnATerminal) {
  for (const bool terminal : {false, true}) {
    std::istringstream in("5 1 3 1\n");
    std::ostringstream out, err;
    stopping_clock clock;
    console_hooks console;
    console.tell_stops = terminal;
    EXPECT_EQ(run_program(in, out, err, clock, console), 0);
    EXPECT_NE(out.str().find("Elapsed: 0 Sec\n\n2^3 = 8"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), terminal ? "uhigh-bench: the run was stopped for 15.4 s; that time is "
                                    "left out of the figure above\n"
                                  : "");
  }
}

TEST(Console, TerminalInputHeldKeysComeAfterWhatWasReadAndEchoOnlyWhenTheyAnswer) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  const std::string first = "12 3\n";
  ASSERT_EQ(write(ends[1], first.data(), first.size()), static_cast<ssize_t>(first.size()));
  close(ends[1]);
  terminal_input keys(ends[0]);
  std::istream in(&keys);
  int a = 0, b = 0, c = 0, d = 0;
  in >> a;  // the terminal's line is read whole
  keys.hold("45\n6", '\x04');
  int echo[2];
  ASSERT_EQ(pipe(echo), 0);
  keys.echo_next_answer(echo[1]);  // " 3\n" answers next: nothing to echo
  in >> b;
  keys.echo_next_answer(echo[1]);  // the held "45\n" answers next
  in >> c;
  keys.echo_next_answer(echo[1]);  // then "6", with no line end yet
  in >> d;
  close(echo[1]);
  char shown[64] = {};
  const ssize_t got = read(echo[0], shown, sizeof shown);
  close(echo[0]);
  close(ends[0]);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 3);
  EXPECT_EQ(c, 45);
  EXPECT_EQ(d, 6);
  EXPECT_EQ(std::string(shown, got > 0 ? static_cast<std::size_t>(got) : 0), "45\n6");
  EXPECT_TRUE(in.eof());  // the pipe had nothing more
  EXPECT_FALSE(keys.failed());
}

TEST(Console, TerminalInputAHeldEndOfFileKeyEndsTheInputThere) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  terminal_input keys(ends[0]);
  std::istream in(&keys);
  keys.hold(
      "7\n\x04"
      "8\n",
      '\x04');
  int a = 0, b = 0;
  in >> a >> b;
  EXPECT_EQ(a, 7);
  EXPECT_TRUE(in.fail() && in.eof());  // 8 came after the end
  close(ends[0]);
  close(ends[1]);
}

#endif
