#include "app/dialogue.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>
#include <stdexcept>

#include "app/factorial.h"
#include "app/stage_work.h"
#include "bignum/uhigh.h"

namespace uhigh_bench {

namespace {

constexpr const char* refusal = "I need a positive number twit! Try again";

class dialogue {
 public:
  dialogue(std::istream& in, std::ostream& out, std::ostream& err, millisecond_clock& clock,
           const console_hooks& console)
      : in_(in), out_(out), err_(err), clock_(clock), console_(console) {}

  int run();

 private:
  // Asks until the answer is an integer in 0..max; false, after its line on
  // err, when the input ends or cannot be read first, or out cannot be
  // written. Every read, good or bad, is followed by a line end.
  bool ask(const char* prompt, std::int32_t& answer);

  // What a timed run measured: the seconds it reports, and the
  // milliseconds it was stopped, which they leave out.
  struct timing {
    float seconds;
    std::int32_t stopped_ms;
  };

  // Runs body count times between two clock readings, with progress shown
  // for what (at number), answers_follow as progress_phase says.
  template <class Body>
  timing timed(stage what, std::int32_t number, std::int32_t count, bool answers_follow, Body body);

  // The result's computation, untimed, with its progress shown.
  template <class Body>
  void untimed(stage what, std::int32_t number, std::int32_t count, bool answers_follow, Body body);

  // The time report on out; on a terminal's err, a line on the time left out.
  void report(const char* label, const timing& run);

  // True while out takes what is written to it. Its first failure gets one
  // line on err, with the system's reason when there is one, and false
  // from then on.
  bool written();

  // The line for a fault of the surroundings: what failed, and why.
  void fault(const char* what, int error);

  std::istream& in_;
  std::ostream& out_;
  std::ostream& err_;
  millisecond_clock& clock_;
  const console_hooks& console_;
};

bool dialogue::written() {
  // errno is cleared after each good check, so a failure's reason is that of
  // the writes since the last one.
  if (out_) {
    errno = 0;
    return true;
  }
  fault("cannot write standard output", errno);
  return false;
}

void dialogue::fault(const char* what, int error) {
  err_ << "uhigh-bench: " << what;
  if (error != 0) err_ << ": " << std::strerror(error);
  err_ << std::endl;
}

bool dialogue::ask(const char* prompt, std::int32_t& answer) {
  for (;;) {
    out_ << prompt << std::flush;
    if (!written()) return false;
    if (console_.before_read) console_.before_read();
    in_ >> answer;
    const int read_errno = errno;
    const bool failed = !in_;
    const bool ended = in_.eof();
    // A number is whole only where white space or the end follows it: 1e3,
    // 5.5 and 5x are no numbers, and taking their first digits would time
    // the wrong work and leave the rest to answer the next question.
    const bool glued = !failed && !ended && !std::isspace(in_.peek());
    out_ << std::endl;
    if (!written()) return false;
    if (glued) {
      in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    } else if (!failed) {
      if (answer >= 0) return true;
    } else if (in_.bad() || (ended && console_.read_error())) {
      fault("cannot read standard input", read_errno);
      return false;
    } else if (ended) {
      err_ << "uhigh-bench: the input ended before the dialogue was complete" << std::endl;
      return false;
    } else {
      // Not a number, or out of the 32-bit range: drop the line and ask again.
      in_.clear();
      in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    out_ << refusal << std::endl;
    if (!written()) return false;
  }
}

// While one lives, the console shows progress of one phase; it is erased
// when the phase ends, by an exception too, before anything more is written.
class shown_progress {
 public:
  shown_progress(progress_display* display, const progress_phase& phase,
                 const progress_counters& counters)
      : display_(display) {
    if (display_ != nullptr) display_->begin(phase, counters);
  }
  ~shown_progress() {
    if (display_ != nullptr) display_->end();
  }
  shown_progress(const shown_progress&) = delete;
  shown_progress& operator=(const shown_progress&) = delete;

 private:
  progress_display* display_;
};

// The repetitions that a count gives: it is tested, then decreased, until
// the tested value is 0, and wraps as a 32-bit count does, so -1 gives
// 2^32 - 1 of them.
std::int64_t repetitions(std::int32_t count) { return static_cast<std::uint32_t>(count); }

template <class Body>
dialogue::timing dialogue::timed(stage what, std::int32_t number, std::int32_t count,
                                 bool answers_follow, Body body) {
  progress_counters counters;
  const shown_progress shown(console_.progress,
                             {what, number, repetitions(count), false, answers_follow}, counters);
  const std::int32_t stopped_before = clock_.stopped_ms();
  const std::int32_t start = clock_.now_ms();
  std::int64_t finished = 0;
  for (std::int32_t left = count; left != 0; --left) {
    body(counters.step);
    // Two relaxed stores between repetitions: the only cost of progress.
    counters.step.store(0, std::memory_order_relaxed);
    counters.repetitions_done.store(++finished, std::memory_order_relaxed);
  }
  const std::int32_t stop = clock_.now_ms();
  const std::int32_t stopped_after = clock_.stopped_ms();
  // The counter wraps modulo 2^32, so the difference is taken modulo 2^32:
  // right across one wrap, for runs of up to 49.7 days. Rounded once to the
  // float that is shown.
  const std::uint32_t ms = static_cast<std::uint32_t>(stop) - static_cast<std::uint32_t>(start);
  const std::uint32_t stopped =
      static_cast<std::uint32_t>(stopped_after) - static_cast<std::uint32_t>(stopped_before);
  return {static_cast<float>(static_cast<double>(ms) * 0.001), static_cast<std::int32_t>(stopped)};
}

template <class Body>
void dialogue::untimed(stage what, std::int32_t number, std::int32_t count, bool answers_follow,
                       Body body) {
  progress_counters counters;
  const shown_progress shown(console_.progress,
                             {what, number, repetitions(count), true, answers_follow}, counters);
  body(counters.step);
}

void dialogue::report(const char* label, const timing& run) {
  out_ << label << run.seconds << " Sec\n" << std::endl;
  if (console_.tell_stops && run.stopped_ms > 0) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", run.stopped_ms * 0.001);
    err_ << "uhigh-bench: the run was stopped for " << seconds
         << " s; that time is left out of the figure above" << std::endl;
  }
}

int dialogue::run() {
  uhigh factorial_result(1);
  std::int32_t number = 0;
  std::int32_t count = 0;
  const char* const count_prompt = "Number of iterations to do? ";
  errno = 0;

  out_ << "This program tests the uhigh maths class.\n"
       << "The program compute factorials and raise 2\n"
       << "to powers with total precision.\n\n";

  if (!ask("What number would you like a factorial for? ", number)) return 1;
  if (!ask(count_prompt, count)) return 1;
  report("Uhigh Elapsed: ", timed(stage::factorial, number, count, true, [&](auto& steps) {
           stage_work::factorial_repetition(number, steps);
         }));
  if (!written()) return 1;
  untimed(stage::factorial, number, count, true, [&](auto& steps) {
    // Assigned from a named value, so it is copied as the benchmark defines
    // it, not moved.
    const uhigh computed = factorial(number, steps);
    factorial_result = computed;
  });
  out_ << number << "! = " << factorial_result << std::endl << std::endl;
  if (!written()) return 1;

  if (!ask("\n\nTo what power would you like two raised? ", number)) return 1;
  if (!ask(count_prompt, count)) return 1;
  // No question follows: keys typed from here on are left to the terminal.
  report("Elapsed: ", timed(stage::power, number, count, false,
                            [&](auto& steps) { stage_work::power_repetition(number, steps); }));
  if (!written()) return 1;
  uhigh power_result(1);
  untimed(stage::power, number, count, false,
          [&](auto& steps) { stage_work::double_times(power_result, number, steps); });
  out_ << "2^" << number << " = " << power_result << std::endl;
  return written() ? 0 : 1;
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out, std::ostream& err, millisecond_clock& clock,
                 const console_hooks& console) {
  return dialogue(in, out, err, clock, console).run();
}

int run_program(std::istream& in, std::ostream& out, std::ostream& err, millisecond_clock& clock,
                const console_hooks& console) {
  try {
    return run_dialogue(in, out, err, clock, console);
  } catch (const std::bad_alloc&) {
    err << "uhigh-bench: out of memory; the result is too large for this machine" << std::endl;
  } catch (const std::length_error&) {
    err << "uhigh-bench: the result would have more than 4294967295 digits" << std::endl;
  }
  return 1;
}

}  // namespace uhigh_bench
