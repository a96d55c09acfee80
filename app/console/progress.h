// The progress line: while the program computes, one line on a terminal's
// standard error that says what is being computed, how far along it is and
// how long is left. It never touches standard output, and the timed work
// pays only for the counters below.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "app/cost_model.h"

namespace uhigh_bench {

// One phase of a stage as the line shows it. A stage times `timed`
// computations, then computes the printed result once more, untimed; the
// time left covers both, for the user waits for both.
struct progress_phase {
  stage what;
  std::int32_t operand;  // n for n!, p for 2^p
  std::int64_t timed;    // the stage's timed repetitions, 0 or more
  bool result;           // this is the result's computation, after the timed ones
  bool answers_follow;   // a question is still to come, which keys typed now answer
};

// What a computation publishes as it goes, with relaxed stores: the steps
// done in the current computation, and the computations finished.
struct progress_counters {
  std::atomic<std::int64_t> step{0};
  std::atomic<std::int64_t> repetitions_done{0};
};

class progress_display {
 public:
  virtual ~progress_display() = default;

  // A phase begins: the timed computations of a stage, or its result's.
  // The display reads counters until end().
  virtual void begin(const progress_phase& phase, const progress_counters& counters) = 0;

  // The phase is over: whatever was shown is erased before this returns.
  virtual void end() = 0;

  // The keys typed during phases since the last call, in order, and the
  // terminal's end-of-file key; none when the display does not read them.
  virtual std::string take_typed() { return {}; }
  virtual char eof_key() const { return '\x04'; }
};

// A display drawn on the terminal behind fd from a thread of its own, or
// null when fd is not a terminal (or TERM is "dumb", which has no erase).
// Nothing shows for a phase that ends within about half a second; then the
// line is redrawn in place about four times a second, cut to one less than
// the terminal's width (read at every draw), with the repetition counter
// (and which part is untimed), the stage's share done, the time left for
// the stage, its printed result included, and the kernel form that runs,
// the cursor left at the row's start. Drawing and
// erasing clear from there to the end of the screen, so a line that a
// narrowed window wrapped goes too.
//
// With input_fd a terminal as well, each phase that a question follows
// takes the keys typed during it (non-canonical, no echo; the signal keys
// keep their meaning), shows them at the end of the line and hands them
// over through take_typed(). A phase that no question follows reads
// nothing: it only turns the echo off, so that keys typed then stay with
// the terminal, line editing included, for whatever reads it next (the
// shell). Either way the modes are restored when the phase ends, and by
// every signal below.
//
// While one exists: SIGINT, SIGQUIT, SIGTERM and SIGHUP erase a line that
// is showing, restore the terminal and then take their default action, so
// the program still ends by the signal; SIGTSTP erases the line before the
// program stops and the line is drawn again after SIGCONT. If the drawing
// thread cannot start, the phase runs without a line. There is none on
// Windows. How it is built: console/terminal_line.h.
std::unique_ptr<progress_display> terminal_progress(int fd, int input_fd = -1);

}  // namespace uhigh_bench
