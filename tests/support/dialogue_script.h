// The dialogue run in-process through string streams and a scripted
// clock, and the texts it writes: shared by the dialogue's tests and the
// sample session, which runs once per kernel form.
#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogue.h"

namespace test {

using namespace uhigh_bench;

// Hands out the given readings in turn.
class scripted_clock final : public millisecond_clock {
 public:
  explicit scripted_clock(std::vector<std::int32_t> readings) : readings_(std::move(readings)) {}
  std::int32_t now_ms() override {
    if (next_ == readings_.size()) return readings_.empty() ? 0 : readings_.back();
    return readings_[next_++];
  }

 private:
  std::vector<std::int32_t> readings_;
  std::size_t next_ = 0;
};

struct outcome {
  int status;
  std::string out;
  std::string err;
};

inline outcome run(const std::string& input, std::vector<std::int32_t> readings = {0, 0, 0, 0}) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  scripted_clock clock(std::move(readings));
  const int status = run_program(in, out, err, clock);
  return {status, out.str(), err.str()};
}

inline const std::string banner =
    "This program tests the uhigh maths class.\n"
    "The program compute factorials and raise 2\n"
    "to powers with total precision.\n\n";
inline const std::string n_prompt = "What number would you like a factorial for? \n";
inline const std::string count_prompt = "Number of iterations to do? \n";
inline const std::string p_prompt = "\n\nTo what power would you like two raised? \n";
inline const std::string refusal = "I need a positive number twit! Try again\n";

inline std::string factorial_report(const std::string& time) {
  return "Uhigh Elapsed: " + time + " Sec\n\n";
}
inline std::string power_report(const std::string& time) { return "Elapsed: " + time + " Sec\n\n"; }

// The sample session with answers 5, 1000, 10, 1000 and times of 15 ms and
// 1,234,567 ms.
inline const std::string sample = banner + n_prompt + count_prompt + factorial_report("0.015") +
                                  "5! = 120\n\n" + p_prompt + count_prompt +
                                  power_report("1234.57") + "2^10 = 1024\n";
inline const std::vector<std::int32_t> sample_clock = {1000, 1015, -600000, 634567};

}  // namespace test
