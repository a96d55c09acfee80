// The floor of a stage: the time of its prescribed work done as plain
// memory moves. It records one repetition of the real stage (every
// allocation, copy, move and zero fill of the class, through its storage's
// watcher, and every digit-kernel call, through the watching kernel form),
// then replays that trace with the same new[] and delete[]
// calls in the same order and sizes, the same copies, moves and fills, and
// each kernel call replaced by the least memory traffic it could make: a
// memmove over its result's bytes from its second input when that is
// another run (an addition into an accumulator reads the partial product),
// else from its first; and for a kernel that works in place on one run
// (x += x, a digit multiplication of a partial product), one pass that loads
// and stores every byte of that run where it is, with the widest vector
// registers the CPU has. (A memmove of a run onto itself would do, but the C
// library skips it outright; a copy from a scratch run would touch twice
// the memory the stage does, which past the caches made the "floor" slower
// than the stage.)
//
// Why it is a lower bound at every size: the replay keeps every byte the
// stage moves and every trip to the heap, over the same arrays, so it has
// the stage's working set and meets the caches where the stage meets them;
// and a kernel cannot do less than read its input run and write its result
// run, which is what its replacement does, with no arithmetic and the
// fewest, widest loads and stores (an addition reads two runs, the memmove
// one). What it drops is only the arithmetic itself and the O(1) work per
// operation (length bookkeeping, the loop tests' compares of one digit). A
// stage at 1.0 x its floor would be as fast as moving its data.
//
// Usage: floor factorial/floor/N power/floor/P ... [Google Benchmark flags]
// (named_benchmarks.h). One iteration is one replay, one repetition of the
// stage; the counters give the work (digits through the dominant kernel:
// mul_digit for n!, add for 2^p) and the trace's length. The stage itself
// is timed by contenders, with nothing watching.
#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/heap_policy.h"
#include "app/stage_work.h"
#include "bignum/kernels/watching.h"
#include "bignum/storage.h"
#include "bignum/uhigh.h"
#include "named_benchmarks.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

using namespace uhigh_bench;

namespace {

using uhigh_detail::storage::digit;

enum class op : std::uint8_t { allocate, release, copy, move, zero, kernel };

// One step, with arrays named by the order of their allocation.
struct step {
  op what;
  std::uint32_t to, to_offset, from, from_offset, bytes;
};

class recorder final : public uhigh_detail::storage::observer,
                       public uhigh_detail::kernels::call_watcher {
 public:
  std::vector<step> steps;
  std::uint64_t work = 0;  // digits through the counted kernel
  bool counting_multiply = false;

  void allocated(const digit* array, std::uint32_t bytes) override {
    live_[array] = {next_id_, bytes};
    steps.push_back({op::allocate, next_id_++, 0, 0, 0, bytes});
  }
  void released(const digit* array) override {
    if (array == nullptr) return;
    const auto found = live_.find(array);
    steps.push_back({op::release, found->second.id, 0, 0, 0, 0});
    live_.erase(found);
  }
  void copied(const digit* to, const digit* from, std::uint32_t bytes) override {
    add(op::copy, to, from, bytes);
  }
  void moved(const digit* to, const digit* from, std::uint32_t bytes) override {
    add(op::move, to, from, bytes);
  }
  void zeroed(const digit* to, std::uint32_t bytes) override { add(op::zero, to, to, bytes); }
  // A kernel's least traffic reads its second input when that is another
  // run (an addition into an accumulator reads the partial product), else
  // its first. The counted work is mul_digit's digits for n!, add's for 2^p
  // (mul_word is never on the stages' path).
  void called(uhigh_detail::kernels::kernel which, const digit* r, const digit* a, const digit* b,
              std::size_t n) override {
    add(op::kernel, r, b != nullptr && b != r ? b : a, static_cast<std::uint32_t>(n));
    if (which == (counting_multiply ? uhigh_detail::kernels::kernel::mul_digit
                                    : uhigh_detail::kernels::kernel::add))
      work += n;
  }

 private:
  struct array {
    std::uint32_t id, bytes;
  };
  // The array that holds p, and p's offset in it.
  std::pair<std::uint32_t, std::uint32_t> place(const digit* p) const {
    auto found = live_.upper_bound(p);
    --found;
    return {found->second.id, static_cast<std::uint32_t>(p - found->first)};
  }
  void add(op what, const digit* to, const digit* from, std::uint32_t bytes) {
    if (bytes == 0) return;
    const auto [t, t_off] = place(to);
    const auto [f, f_off] = place(from);
    steps.push_back({what, t, t_off, f, f_off, bytes});
  }

  std::map<const digit*, array> live_;
  std::uint32_t next_id_ = 0;
};

// One load and one store of every byte of a run, in place. The empty asm
// makes each loaded value opaque, so the compiler can neither drop the
// store of a value just loaded nor merge the passes.
void touch_bytes(digit* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    digit d = p[i];
    asm volatile("" : "+r"(d));
    p[i] = d;
  }
}
void touch_words(digit* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    std::uint64_t w;
    std::memcpy(&w, p + i, 8);
    asm volatile("" : "+r"(w));
    std::memcpy(p + i, &w, 8);
  }
  touch_bytes(p + i, n - i);
}
#if defined(__x86_64__)
__attribute__((target("avx2"))) void touch_avx2(digit* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    asm volatile("" : "+x"(v));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p + i), v);
  }
  touch_words(p + i, n - i);
}
__attribute__((target("avx512f"))) void touch_avx512(digit* p, std::size_t n) {
  std::size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    __m512i v = _mm512_loadu_si512(p + i);
    asm volatile("" : "+v"(v));
    _mm512_storeu_si512(p + i, v);
  }
  touch_words(p + i, n - i);
}
#endif

using touch_fn = void (*)(digit*, std::size_t);
touch_fn widest_touch() {
#if defined(__x86_64__)
  if (__builtin_cpu_supports("avx512f")) return touch_avx512;
  if (__builtin_cpu_supports("avx2")) return touch_avx2;
#endif
  return touch_words;
}

// The same steps with the same heap calls; kernels as the least traffic.
void replay(const std::vector<step>& steps, std::vector<digit*>& arrays, touch_fn touch) {
  for (const step& s : steps) {
    switch (s.what) {
      case op::allocate:
        arrays[s.to] = new digit[s.bytes];
        break;
      case op::release:
        delete[] arrays[s.to];
        break;
      case op::copy:
        std::memcpy(arrays[s.to] + s.to_offset, arrays[s.from] + s.from_offset, s.bytes);
        break;
      case op::move:
        std::memmove(arrays[s.to] + s.to_offset, arrays[s.from] + s.from_offset, s.bytes);
        break;
      case op::kernel: {
        digit* to = arrays[s.to] + s.to_offset;
        const digit* from = arrays[s.from] + s.from_offset;
        if (to != from) {
          std::memmove(to, from, s.bytes);
        } else {
          touch(to, s.bytes);
        }
        break;
      }
      case op::zero:
        std::memset(arrays[s.to] + s.to_offset, 0, s.bytes);
        break;
    }
  }
}

}  // namespace

// Records one repetition of the stage through the storage's watcher and
// the watching form, the work done by the active form.
recorder record(bool factorial_stage, std::int32_t size) {
  recorder trace;
  trace.counting_multiply = factorial_stage;
  {
    const uhigh_detail::kernels::watching watching(trace, uhigh_detail::kernels::active());
    uhigh_detail::storage::watcher = &trace;
    if (factorial_stage) {
      stage_work::factorial_repetition(size);
    } else {
      stage_work::power_repetition(size);
    }
    uhigh_detail::storage::watcher = nullptr;
  }
  return trace;
}

int main(int argc, char** argv) {
  use_benchmark_heap_policy();
  return bench::run_named(
      argc, argv, [](const std::string& name, const std::string& who, long size) -> bench::body {
        if (who != "floor" || (name != "factorial" && name != "power")) return nullptr;
        // Recorded once, outside the timing, however often the body is called.
        const auto trace = std::make_shared<recorder>(
            record(name == "factorial", static_cast<std::int32_t>(size)));
        return [trace](benchmark::State& state) {
          std::vector<digit*> arrays(trace->steps.size());
          const touch_fn touch = widest_touch();
          for (auto _ : state)
            replay(trace->steps, arrays, touch);
          state.counters["work"] = static_cast<double>(trace->work);
          state.counters["steps"] = static_cast<double>(trace->steps.size());
        };
      });
}
