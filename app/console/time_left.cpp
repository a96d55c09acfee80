#include "app/console/time_left.h"

#include <algorithm>
#include <cstdio>

namespace uhigh_bench::console {

double time_left::update(double now, double done, std::int64_t finished) {
  recent_.emplace_back(now, done);
  while (recent_.size() > 2 && now - recent_.front().first > window)
    recent_.pop_front();
  // The pace of the last few seconds, or of the whole phase until it has
  // lasted that long: the cost model leaves out the caches, whose misses
  // make a long run's late steps slower still.
  const auto [then, done_then] = now > window ? recent_.front() : std::pair{0.0, 0.0};
  const double pace = (done - done_then) / (now - then);
  const double estimate = pace > 0 ? (remaining_ - done) / pace : -1;
  // What is shown only falls, as time passes, unless a repetition just
  // ended and proved slower than the estimate made during it.
  const double counted_down = shown_ - (now - shown_at_);
  if (shown_ < 0 || estimate < counted_down || finished != finished_then_) {
    shown_ = estimate;
  } else {
    shown_ = std::max(counted_down, 0.0);
  }
  shown_at_ = now;
  finished_then_ = finished;
  return shown_;
}

std::string duration_text(double seconds) {
  char text[32];
  const auto s = static_cast<long long>(seconds + 0.5);
  if (s < 1) return "under 1 s";
  if (s < 60) {
    std::snprintf(text, sizeof text, "%lld s", s);
  } else if (s < 3600) {
    std::snprintf(text, sizeof text, "%lld min %02lld s", s / 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld h %02lld min", s / 3600, s % 3600 / 60);
  }
  return text;
}

}  // namespace uhigh_bench::console
