// uhigh-bench: times factorials and powers of two computed with uhigh.
#include <cstdio>
#include <iostream>
#include <memory>

#include "app/clock.h"
#include "app/dialogue.h"
#include "app/heap_policy.h"

int main() {
  use_benchmark_heap_policy();
  steady_millisecond_clock clock;
  console_hooks console;
  // std::cin reads through C's stdin (the streams are synchronised with
  // stdio), so stdin's error flag tells a failed read from the end.
  console.read_error = [] { return std::ferror(stdin) != 0; };
  // Progress goes to standard error only when that is a terminal.
  const std::unique_ptr<progress_display> progress = terminal_progress(2);
  console.progress = progress.get();
  return run_program(std::cin, std::cout, std::cerr, clock, console);
}
