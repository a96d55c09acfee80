// uhigh-bench: times factorials and powers of two computed with uhigh.
#include <cstdio>
#include <iostream>
#include <memory>

#include "app/clock.h"
#include "app/console/terminal_input.h"
#include "app/dialogue.h"
#include "app/heap_policy.h"

using namespace uhigh_bench;

int main() {
  use_benchmark_heap_policy();
  steady_millisecond_clock clock;
  console_hooks console;
  // Progress goes to standard error only when that is a terminal.
  const std::unique_ptr<progress_display> progress = terminal_progress(2, 0);
  console.progress = progress.get();
  console.tell_stops = progress != nullptr;
#if !defined(_WIN32)
  if (progress != nullptr && terminal_input::is_terminal(0)) {
    // Both on a terminal: the keys typed during a run are read by the
    // progress line, then answer the questions after what was typed before.
    static terminal_input keys(0);
    std::istream in(&keys);
    console.read_error = [] { return keys.failed(); };
    console.before_read = [&] {
      keys.hold(progress->take_typed(), progress->eof_key());
      keys.echo_next_answer(2);
    };
    return run_program(in, std::cout, std::cerr, clock, console);
  }
#endif
  // std::cin reads through C's stdin (the streams are synchronised with
  // stdio), so stdin's error flag tells a failed read from the end.
  console.read_error = [] { return std::ferror(stdin) != 0; };
  return run_program(std::cin, std::cout, std::cerr, clock, console);
}
