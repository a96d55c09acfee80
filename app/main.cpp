// uhigh-bench: times factorials and powers of two computed with uhigh.
#include <iostream>

#include "app/clock.h"
#include "app/dialogue.h"

int main() {
  steady_millisecond_clock clock;
  return run_program(std::cin, std::cout, std::cerr, clock);
}
