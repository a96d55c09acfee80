// The packed paths when the heap runs out: every allocation of every packed
// operation (the product by basecase, Karatsuba and the transforms, squaring,
// a 128-bit factor, division by one limb, by algorithm D and by Newton's
// reciprocal, and pow) is made to fail in turn. Each failure must leave the
// operands as they were, and the run that finally succeeds must give the
// right result; the ASan run sees any leak or double free. The fault this
// catches: a packed path that releases the old digit array before its new
// one is allocated, which a failed allocation turns into a dangling array.
#include "bignum/limbs/limbs.h"

// Only where the packed paths exist: elsewhere these operations are long
// multiplication and division, whose every partial product allocates, and
// failing each allocation in turn would take hours under an emulator.
#if UHIGH_PACKED

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "allocation_hooks.h"
#include "test_support.h"

using test::text_of;

namespace {

uhigh random_value(std::mt19937_64& random, std::size_t digits) {
  std::string text(digits, '0');
  for (char& c : text)
    c = static_cast<char>('0' + random() % 10);
  text[0] = static_cast<char>('1' + random() % 9);
  return uhigh(std::string_view{text});
}

struct operation {
  std::string name;
  // Runs the operation on x and y (x changes as a compound operator changes
  // it) and moves its results into first and second, so that nothing after
  // the operation itself allocates.
  std::function<void(uhigh& x, uhigh& y, uhigh& first, uhigh& second)> run;
  std::size_t x_digits, y_digits;
};

std::vector<operation> packed_operations() {
  const auto product = [](uhigh& x, uhigh& y, uhigh& first, uhigh&) { first = x * y; };
  const auto in_place = [](uhigh& x, uhigh& y, uhigh& first, uhigh&) {
    x *= y;
    first = std::move(x);
  };
  const auto quotient = [](uhigh& x, uhigh& y, uhigh& first, uhigh&) {
    x /= y;
    first = std::move(x);
  };
  const auto remainder = [](uhigh& x, uhigh& y, uhigh& first, uhigh&) {
    x %= y;
    first = std::move(x);
  };
  const auto both = [](uhigh& x, uhigh& y, uhigh& first, uhigh& second) {
    auto qr = divmod(x, y);
    first = std::move(qr.first);
    second = std::move(qr.second);
  };
  std::vector<operation> all = {
      {"basecase product", product, 60, 40},
      {"Karatsuba product", product, 3000, 2600},
      {"transform product", product, 19000, 18000},
      {"in-place product", in_place, 3000, 40},
      {"in-place square",
       [](uhigh& x, uhigh&, uhigh& first, uhigh&) {
         x *= x;
         first = std::move(x);
       },
       2000, 1},
      {"one-limb quotient", quotient, 500, 19},
      {"schoolbook remainder", remainder, 1200, 500},
      {"Newton divmod", both, 7000, 3100},
      {"pow", [](uhigh& x, uhigh&, uhigh& first, uhigh&) { first = pow(x, 7); }, 40, 1},
  };
#if defined(__SIZEOF_INT128__)
  all.push_back({"128-bit factor",
                 [](uhigh& x, uhigh&, uhigh& first, uhigh&) {
                   __extension__ const unsigned __int128 factor =
                       ~static_cast<unsigned __int128>(0) / 3;
                   x *= factor;
                   first = std::move(x);
                 },
                 300, 1});
#endif
  return all;
}

}  // namespace

TEST(PackedAllocation, EveryFailingAllocationLeavesTheOperandsAsTheyWere) {
  std::mt19937_64 random(37);
  for (const operation& op : packed_operations()) {
    const uhigh x0 = random_value(random, op.x_digits), y0 = random_value(random, op.y_digits);
    uhigh x = x0, y = y0, first(0), second(0);
    op.run(x, y, first, second);
    const std::string expected = text_of(first) + "," + text_of(second);
    long failures = 0;
    for (long k = 0;; ++k) {
      uhigh x1 = x0, y1 = y0, first1(0), second1(0);
      bool failed = false;
      try {
        const test::failing_allocation fail(k, test::failing_allocation::any);
        op.run(x1, y1, first1, second1);
      } catch (const std::bad_alloc&) {
        failed = true;
      }
      if (!failed) {
        EXPECT_EQ(text_of(first1) + "," + text_of(second1), expected) << op.name << " after " << k;
        break;
      }
      ++failures;
      ASSERT_EQ(text_of(x1), text_of(x0)) << op.name << ", allocation " << k << " failed";
      ASSERT_EQ(text_of(y1), text_of(y0)) << op.name << ", allocation " << k << " failed";
      ASSERT_LT(k, 100000) << op.name << " never finished";
    }
    EXPECT_GE(failures, 1) << op.name << " allocated nothing";
  }
}

#endif  // UHIGH_PACKED
