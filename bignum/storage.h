// The byte work of uhigh's storage: where its digit arrays come from and go
// back to, and the plain copies, moves and zero fills between them. Every
// such step of the class goes through here, so that a watcher (the floor
// benchmark's recorder, bench/floor.cpp) sees each one with its real size.
// With no watcher, as always outside that benchmark, a step costs one load
// and one predicted branch more than the bare call.
#pragma once

#include <cstdint>
#include <cstring>

namespace uhigh_detail::storage {

using digit = std::int8_t;

// Told of every step, after it is done.
struct observer {
  virtual void allocated(const digit* array, std::uint32_t bytes) = 0;
  virtual void released(const digit* array) = 0;
  virtual void copied(const digit* to, const digit* from, std::uint32_t bytes) = 0;
  virtual void moved(const digit* to, const digit* from, std::uint32_t bytes) = 0;
  virtual void zeroed(const digit* to, std::uint32_t bytes) = 0;

 protected:
  ~observer() = default;
};
// Set only while one thread records, with no other thread computing.
inline observer* watcher = nullptr;
#define UHIGH_STORAGE_TOLD(step) \
  if (uhigh_detail::storage::watcher != nullptr) uhigh_detail::storage::watcher->step

// A new array of bytes bytes from the general heap (new[]); contents unset.
inline digit* allocate(std::uint32_t bytes) {
  digit* array = new digit[bytes];
  UHIGH_STORAGE_TOLD(allocated(array, bytes));
  return array;
}

// Gives an array from allocate() back (delete[]); null is allowed.
inline void release(digit* array) {
  delete[] array;
  UHIGH_STORAGE_TOLD(released(array));
}

// The ranges must not overlap.
inline void copy(digit* to, const digit* from, std::uint32_t bytes) {
  std::memcpy(to, from, bytes);
  UHIGH_STORAGE_TOLD(copied(to, from, bytes));
}

// The ranges may overlap.
inline void move(digit* to, const digit* from, std::uint32_t bytes) {
  std::memmove(to, from, bytes);
  UHIGH_STORAGE_TOLD(moved(to, from, bytes));
}

inline void zero(digit* to, std::uint32_t bytes) {
  std::memset(to, 0, bytes);
  UHIGH_STORAGE_TOLD(zeroed(to, bytes));
}

#undef UHIGH_STORAGE_TOLD

}  // namespace uhigh_detail::storage
