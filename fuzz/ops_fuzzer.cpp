// Reads its input as a program of operations on four uhigh values, mirrors
// every operation on GMP integers and traps on the first disagreement. The
// first byte picks the kernel form, so every form the CPU runs is fuzzed.
#include <gmpxx.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "bignum/kernels.h"
#include "bignum/uhigh.h"

namespace {

constexpr std::uint32_t most_digits = 3000;  // keeps each input fast

struct reader {
  const std::uint8_t* data;
  std::size_t size;
  bool empty() const { return size == 0; }
  std::uint8_t byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

void require(bool ok) {
  if (!ok) __builtin_trap();
}

std::string text_of(const uhigh& x) {
  std::ostringstream out;
  out << x;
  return out.str();
}

bool normal(const uhigh& x) { return x.length == 1 || x.digits[x.length - 1] != 0; }

// The invariants every operation keeps, and the value against GMP (leading
// zeros of a zero run aside).
void check(const uhigh& x, const mpz_class& expected) {
  require(x.length >= 1 && x.length <= x.capacity && x.digits != nullptr);
  for (std::uint32_t i = 0; i < x.length; ++i)
    require(x.digits[i] >= 0 && x.digits[i] <= 9);
  for (std::uint32_t i = x.length; i < x.capacity; ++i)
    require(x.digits[i] == 0);
  std::string text = text_of(x);
  const std::size_t first = text.find_first_not_of('0');
  text = first == std::string::npos ? "0" : text.substr(first);
  require(text == expected.get_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  reader in{data, size};
  const auto forms = kernels::available();
  kernels::select(forms[in.byte() % forms.size()]->name);

  uhigh value[4] = {uhigh(0), uhigh(1), uhigh(9), uhigh(99)};
  mpz_class model[4] = {0, 1, 9, 99};
  for (int step = 0; step < 64 && !in.empty(); ++step) {
    const int op = in.byte() % 8;
    uhigh& a = value[in.byte() % 4];
    mpz_class& ma = model[&a - value];
    const std::size_t bi = in.byte() % 4;
    const uhigh& b = value[bi];
    const mpz_class mb = model[bi];
    const bool both_normal = normal(a) && normal(b);
    switch (op) {
      case 0: {
        std::uint32_t v = 0;
        for (int k = 0; k < 4; ++k)
          v = v << 8 | in.byte();
        const int small = static_cast<int>(v & 0x7FFFFFFF);
        a = uhigh(small);
        ma = small;
        break;
      }
      case 1:
        if (std::max(a.length, b.length) >= most_digits) continue;
        a += b;
        ma += mb;
        if (both_normal) require(normal(a));
        break;
      case 2:
        if (!both_normal || mb > ma || b.length > a.length) continue;
        a -= b;
        ma -= mb;
        require(normal(a));
        break;
      case 3: {
        const std::uint8_t factor = in.byte();
        if (a.length >= most_digits) continue;
        const std::uint32_t before = a.length;
        a *= factor;
        ma *= factor;
        if (factor == 0) require(a.length == before);  // a run of zeros, not stripped
        if (both_normal && factor != 0 && ma != 0) require(normal(a));
        break;
      }
      case 4:
        if (a.length + b.length >= most_digits) continue;
        a *= b;
        ma *= mb;
        if (both_normal && ma != 0) require(normal(a));
        break;
      case 5:
        if (both_normal) {
          const int sign = compare(a, b);
          require((sign > 0) - (sign < 0) == (cmp(ma, mb) > 0) - (cmp(ma, mb) < 0));
          require((a > b) == (ma > mb));
        }
        break;
      case 6:
        a = b;
        ma = mb;
        require(a.capacity == b.capacity && a.length == b.length);
        break;
      default:
        if (a.length >= most_digits) continue;
        a += a;
        ma += ma;
        break;
    }
    check(a, ma);
  }
  for (int k = 0; k < 4; ++k)
    check(value[k], model[k]);  // the operands were left alone
  return 0;
}
