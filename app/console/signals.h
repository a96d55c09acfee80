// What the signals do to the progress line's terminal (POSIX only). While a
// line may be on screen, SIGINT, SIGQUIT, SIGTERM and SIGHUP erase it and
// give the terminal its modes back, then take their default action;
// SIGTSTP does the same before the process stops and takes the keys again
// after SIGCONT; SIGWINCH is noted for the next draw. The handlers read
// only the lock-free state below, which the drawing side keeps current.
#pragma once

#include <termios.h>

#include <atomic>

namespace uhigh_bench::console {

// The line's descriptor, and whether a line is on screen now.
extern std::atomic<int> line_fd;
extern std::atomic<bool> line_showing;
// Standard input while a phase holds its modes, else -1.
extern std::atomic<int> keys_fd;
// Set by SIGWINCH; the drawing thread takes it.
extern std::atomic<bool> resized;
// The modes before a phase and during it: written before keys_fd is set
// (release), read by a handler after it (acquire).
extern termios saved_modes;
extern termios phase_modes;

// Back to the start of the row and erase to the end of the screen (ED): the
// row goes, with anything typed onto it, and so do the rows that a narrowed
// window wrapped its tail onto.
constexpr char erase_rows[] = "\r\x1b[J";

// Writes erase_rows to fd with write(2) alone: safe in a signal handler.
void erase_line(int fd);

// Installs the handlers above, for the rest of the process.
void install_handlers();

}  // namespace uhigh_bench::console
