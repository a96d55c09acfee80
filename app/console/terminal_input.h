// Standard input when it is a terminal: read with read(2) into a buffer of
// our own, so that keys typed during a run (which the progress line reads
// and shows, see progress.h) can be handed to the dialogue after the bytes
// the terminal had already given, in the order they were typed.
#pragma once

#include <streambuf>
#include <string>

namespace uhigh_bench {

class terminal_input final : public std::streambuf {
 public:
  explicit terminal_input(int fd) : fd_(fd) {}

  // Keys typed during a run, as the terminal would have queued them: they
  // are read after everything read before. A byte equal to eof_key (the
  // terminal's end-of-file key) ends the input there, as it does on an
  // empty line.
  void hold(const std::string& keys, char eof_key);

  // Before a question is answered: if the answer will come from held keys
  // (all that was read before them and is still unread is white space),
  // writes those keys up to and including the next line end to fd, as the
  // terminal would have echoed them had they been typed now. Each held key
  // is echoed once.
  void echo_next_answer(int fd);

  // Whether fd is a terminal.
  static bool is_terminal(int fd);

  // Whether a read failed with an error (not the end of the input).
  bool failed() const { return failed_; }

 protected:
  int_type underflow() override;

 private:
  int fd_;
  std::string buffer_;                        // read or held, not yet consumed from position_
  std::size_t position_ = 0;                  // next byte to hand out
  std::size_t unechoed_ = std::string::npos;  // first held byte not yet echoed
  std::size_t end_ = std::string::npos;       // where a held end-of-file key stood
  bool ended_ = false;
  bool failed_ = false;
};

}  // namespace uhigh_bench
