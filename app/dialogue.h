// The benchmark dialogue: banner, the factorial stage, the power stage.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>

#include "app/clock.h"
#include "app/console/progress.h"

namespace uhigh_bench {

// What the program knows of its console beyond the streams.
struct console_hooks {
  // What a stream's state cannot say: whether a read that failed at the end
  // of the input met an error (a directory, an I/O error) rather than the
  // end. main asks the C library; string streams never meet one.
  bool (*read_error)() = [] { return false; };
  // Where to show progress while computing (a terminal's standard error);
  // none when null.
  progress_display* progress = nullptr;
  // Called after each prompt is written, before its answer is read: on a
  // terminal, shows keys typed ahead during a run that will answer it.
  std::function<void()> before_read;
  // Whether err is a terminal, where a line says how long a timed run was
  // stopped (Ctrl-Z) and that its figure leaves that time out.
  bool tell_stops = false;
};

// Runs the whole dialogue on in/out, timing with clock. Returns 0 when the
// dialogue completed. Returns 1, after one line on err, when the input ended
// or could not be read before it did, or when out could not be written (it
// stops at the first failed prompt, report or result and computes nothing
// more). A non-number, an out-of-range answer or a number glued to other
// characters (1e3, 5.5, 5x) drops the rest of its line and is refused; a
// negative one is refused; each refused question is asked again. Answers
// separated by white space may be typed ahead. Arithmetic errors (std::bad_alloc,
// std::length_error) pass through to the caller.
int run_dialogue(std::istream& in, std::ostream& out, std::ostream& err, millisecond_clock& clock,
                 const console_hooks& console = {});

// run_dialogue, with heap exhaustion and the digit limit turned into one line
// on err and status 1. This is the program: main only supplies the streams,
// the clock and the console hooks.
int run_program(std::istream& in, std::ostream& out, std::ostream& err, millisecond_clock& clock,
                const console_hooks& console = {});

}  // namespace uhigh_bench
