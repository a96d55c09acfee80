// The progress line: while the program computes, one line on a terminal's
// standard error that says what is being computed, how far along it is and
// how long is left. It never touches standard output, and the timed work
// pays only for the counters below.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "app/cost_model.h"

// What a computation publishes as it goes, with relaxed stores: the steps
// done in the current computation, and the computations finished.
struct progress_counters {
  std::atomic<std::int64_t> step{0};
  std::atomic<std::int64_t> repetitions_done{0};
};

class progress_display {
 public:
  virtual ~progress_display() = default;

  // A phase begins: `repetitions` computations of `what` at `operand`, the
  // timed ones, or (result = true) the one whose result is printed. The
  // display reads counters until end().
  virtual void begin(stage what, std::int32_t operand, std::int64_t repetitions, bool result,
                     const progress_counters& counters) = 0;

  // The phase is over: whatever was shown is erased before this returns.
  virtual void end() = 0;
};

// A display drawn on the terminal behind fd from a thread of its own, or
// null when fd is not a terminal (or TERM is "dumb"). Nothing shows for a
// phase that ends within about half a second; then the line is redrawn in
// place about four times a second, cut to one less than the terminal's
// width (read at every draw) and naming the kernel form that runs, with the
// cursor left at the row's start. Drawing and erasing clear the whole row
// (erase to end of line), so text typed onto it during the run goes too.
// While one exists, an interrupt (SIGINT) first erases a line that is
// showing and then takes its default action, so the program still ends by
// the signal. There is none on Windows.
std::unique_ptr<progress_display> terminal_progress(int fd);
