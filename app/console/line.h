// The progress line's text, and putting it on the terminal.
#pragma once

#include <cstdint>
#include <string>

#include "app/console/progress.h"

namespace uhigh_bench::console {

// "20000!  2/3 then untimed result  45%  4 s left  avx512", or during the
// result's computation "20000!  untimed result  90%  under 1 s left
// avx512"; keys typed meanwhile follow "typed: ", control keys as ^X. A
// negative seconds_left (no pace yet) leaves the time out.
std::string line_text(const progress_phase& phase, std::int64_t finished, double whole_share,
                      double seconds_left, const std::string& typed);

#if !defined(_WIN32)
// Draws text on fd's row, cut to one less than the terminal's width now (80
// for a window with no size), the cursor left at the row's start.
void show(int fd, std::string text);

// Erases a line that show() drew, if one is showing.
void erase(int fd);
#endif

}  // namespace uhigh_bench::console
