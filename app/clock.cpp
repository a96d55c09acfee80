#include "app/clock.h"

std::int32_t steady_millisecond_clock::now_ms() {
  const auto elapsed = std::chrono::steady_clock::now() - origin_;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
  // Conversion to a narrower signed type is modulo 2^32, as a tick counter wraps.
  return static_cast<std::int32_t>(ms);
}
