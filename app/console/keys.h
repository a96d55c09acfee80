// The keys typed during a phase of the progress line (POSIX only). A phase
// that a question follows reads them itself: non-canonical, no echo, the
// signal keys keeping their meaning, so that they can be shown on the line
// (the terminal's own echo would be erased by the next draw) and handed to
// the dialogue afterwards. A phase that no question follows only turns the
// echo off: keys typed then stay with the terminal, line editing included,
// for whatever reads it next (the shell).
#pragma once

#include <mutex>
#include <string>

namespace uhigh_bench::console {

class key_reader {
 public:
  // input_fd: standard input, or -1 when it is no terminal (then nothing
  // is taken or read).
  explicit key_reader(int input_fd);

  // A phase begins: its modes, reading (read = true) or echo off only.
  void take(bool read);
  // The phase is over: the modes from before take().
  void give_back();

  // Reads what the terminal has without waiting; true when any key came.
  // The erase and kill keys edit what is held, as the terminal's line
  // editing would have, never past a line already ended.
  bool read_available();

  std::string typed_now();   // held keys, left held
  std::string take_typed();  // held keys, handed over
  char eof_key() const { return eof_key_; }

 private:
  int input_fd_;
  bool reading_ = false;  // whether this phase reads (set before its thread starts)
  char eof_key_ = '\x04', erase_key_ = '\x7f', kill_key_ = '\x15';
  std::mutex mutex_;
  std::string typed_;
};

}  // namespace uhigh_bench::console
