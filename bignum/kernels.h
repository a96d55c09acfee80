// Which kernel form does uhigh's digit work. Each form (reference, word,
// sse2, avx2, avx512, neon) gives the same results; they differ in speed and
// in the instructions they need. The fastest form the CPU runs is chosen
// the first time any thread computes, so nothing here is needed to use the
// class: it is for benchmarks, tests and the curious.
#pragma once

#include <string_view>
#include <vector>

#include "bignum/uhigh_export.h"

namespace uhigh_kernels {

// The forms this build has that this CPU runs, slowest (reference) first,
// fastest last. O(forms).
UHIGH_EXPORT std::vector<std::string_view> forms();

// The name of the form uhigh uses now. O(1).
UHIGH_EXPORT std::string_view active_form();

// Makes the form of that name the one uhigh uses; false, and nothing
// changes, when forms() has no such name. Not for use while any thread is
// doing arithmetic: a computation must see one form from start to end.
UHIGH_EXPORT bool select(std::string_view name);

}  // namespace uhigh_kernels
