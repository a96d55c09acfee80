// The progress line's time left: from the pace of the last few seconds of
// a phase, shown so that it only counts down between repetitions.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

namespace uhigh_bench::console {

class time_left {
 public:
  // remaining_at_start: computations the stage still has when the phase
  // begins (the untimed result's included).
  explicit time_left(double remaining_at_start) : remaining_(remaining_at_start) {}

  // At `now` seconds into the phase, with `done` computations of it done
  // (the current one counted by its share) and `finished` whole ones: the
  // seconds to show, or -1 while there is no pace yet.
  double update(double now, double done, std::int64_t finished);

  // Seconds of recent progress the pace is reckoned from.
  static constexpr double window = 3;

 private:
  double remaining_;
  std::deque<std::pair<double, double>> recent_;  // (seconds, done) of recent draws
  double shown_ = -1, shown_at_ = 0;
  std::int64_t finished_then_ = 0;
};

// "under 1 s", "45 s", "3 min 05 s", "2 h 10 min".
std::string duration_text(double seconds);

}  // namespace uhigh_bench::console
