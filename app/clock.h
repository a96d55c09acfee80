// The benchmark's clock: wall-clock milliseconds as a signed 32-bit count.
#pragma once

#include <chrono>
#include <cstdint>

class millisecond_clock {
 public:
  virtual ~millisecond_clock() = default;
  // Milliseconds since some fixed origin; wraps modulo 2^32. Only the
  // difference of two readings means anything.
  virtual std::int32_t now_ms() = 0;
};

// Steady wall time counted from the object's construction, which main does
// first thing, so readings count from program start.
class steady_millisecond_clock final : public millisecond_clock {
 public:
  std::int32_t now_ms() override;

 private:
  std::chrono::steady_clock::time_point origin_ = std::chrono::steady_clock::now();
};
