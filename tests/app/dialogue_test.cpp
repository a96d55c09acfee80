// The whole dialogue, in-process, through string streams and a scripted clock.
#include "app/dialogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "allocation_hooks.h"
#include "app/factorial.h"
#include "app/stage_work.h"
#include "bignum/uhigh.h"
#include "dialogue_script.h"
#include "kernel_log.h"

using namespace uhigh_bench;

using namespace test;

TEST(Dialogue, TypedAheadAnswersStillShowEveryPrompt) {
  EXPECT_EQ(run("5 1000\n10 1000", sample_clock).out, sample);
  EXPECT_EQ(run("  5\n\n\n   1000 10\t1000\n", sample_clock).out, sample);
}

TEST(Dialogue, NegativeNumbersAndOnePastTheRangeAreRefusedAndAskedAgain) {
  // 2^31, one past the 32-bit range, must be refused as -1 and -2 are,
  // never taken as its wrapped value.
  for (const char* input :
       {"-5\n-1\n3\n0\n-2\n4\n0\n", "-5\n2147483648\n3\n0\n2147483648\n4\n0\n"}) {
    const outcome o = run(input);
    EXPECT_EQ(o.out, banner + n_prompt + refusal + n_prompt + refusal + n_prompt + count_prompt +
                         factorial_report("0") + "3! = 6\n\n" + p_prompt + refusal + p_prompt +
                         count_prompt + power_report("0") + "2^4 = 16\n");
    EXPECT_EQ(o.status, 0);
  }
}

TEST(Dialogue, ZeroAnswersAndZeroCounts) {
  const outcome o = run("0 0 0 0");
  EXPECT_EQ(o.out, banner + n_prompt + count_prompt + factorial_report("0") + "0! = 1\n\n" +
                       p_prompt + count_prompt + power_report("0") + "2^0 = 1\n");
}

TEST(Dialogue, AnswersAreReadAsDecimalIntegers) {
  const std::string out = run("007 1 +010 1").out;
  EXPECT_NE(out.find("\n7! = 5040\n"), std::string::npos);
  EXPECT_NE(out.find("\n2^10 = 1024\n"), std::string::npos);
}

TEST(Dialogue, TimesUseDefaultFloatFormatting) {
  // 1234 ms; then the widest difference of two 32-bit readings (2^32 - 1
  // ms), shown in exponent notation.
  const std::string out = run("1 1 1 1", {5, 1239, -2147483648, 2147483647}).out;
  EXPECT_NE(out.find("Uhigh Elapsed: 1.234 Sec\n"), std::string::npos);
  EXPECT_NE(out.find("\nElapsed: 4.29497e+06 Sec\n"), std::string::npos);
}

TEST(Dialogue, ElapsedTimeSurvivesTheCounterWrap) {
  // 15 ms across the top of the signed range, 16 ms across 2^32.
  const std::string out = run("1 1 1 1", {2147483643, -2147483638, -1, 15}).out;
  EXPECT_NE(out.find("Uhigh Elapsed: 0.015 Sec\n"), std::string::npos) << out;
  EXPECT_NE(out.find("\nElapsed: 0.016 Sec\n"), std::string::npos) << out;
}

TEST(Dialogue, ANumberGluedToOtherCharactersIsRefusedWhole) {
  // Refused where typed, the rest of the line (7 too) dropped; answers
  // separated by blanks, +010, Windows line ends and a number at the very
  // end of the input still count.
  const outcome o = run("1e3 7\n5.5\n5x\n3 1\r\n+010\r\n2");
  EXPECT_EQ(o.out, banner + n_prompt + refusal + n_prompt + refusal + n_prompt + refusal +
                       n_prompt + count_prompt + factorial_report("0") + "3! = 6\n\n" + p_prompt +
                       count_prompt + power_report("0") + "2^10 = 1024\n");
  EXPECT_EQ(o.status, 0);
  // At the p prompt too, so 1e6 never times 2^1.
  EXPECT_EQ(run("0 0 1e6\n4 1 1").out, banner + n_prompt + count_prompt + factorial_report("0") +
                                           "0! = 1\n\n" + p_prompt + refusal + p_prompt +
                                           count_prompt + power_report("0") + "2^4 = 16\n");
}

TEST(Dialogue, CountSetsTheNumberOfTimedRepetitions) {
  // Every repetition allocates digit arrays, so the allocation count of a run
  // is linear in the two counts; the slope is one computation's allocations.
  const auto allocations_of = [](const std::string& input) {
    const long before = test::array_allocations();
    run(input);
    return test::array_allocations() - before;
  };
  const long one_factorial = [] {
    const long before = test::array_allocations();
    stage_work::factorial_repetition(12);
    return test::array_allocations() - before;
  }();
  const long one_power = [] {
    const long before = test::array_allocations();
    stage_work::power_repetition(40);
    return test::array_allocations() - before;
  }();
  const long base = allocations_of("12 1 40 1");
  EXPECT_EQ(allocations_of("12 4 40 1") - base, 3 * one_factorial);
  EXPECT_EQ(allocations_of("12 1 40 6") - base, 5 * one_power);
  EXPECT_EQ(base - allocations_of("12 0 40 0"), one_factorial + one_power);
}

TEST(Dialogue, PowerStageDoublesPTimesPerRepetitionAndOnceMore) {
  // Two timed repetitions of 2^100 and the printed one: 300 doublings, each
  // one add over the whole value (2^i has floor(i log10 2) + 1 digits) and an
  // empty add_carry. Per computation: uhigh(1) and its growths to 20, 30 and
  // 40 digits.
  std::vector<test::kernel_call> expected;
  for (int run = 0; run < 3; ++run) {
    for (int i = 0; i < 100; ++i) {
      expected.push_back({"add", static_cast<std::size_t>(std::floor(i * std::log10(2.0))) + 1});
      expected.push_back({"add_carry", 0});
    }
  }
  const long allocations_before = test::array_allocations();
  outcome o;
  {
    const test::kernel_log log;
    o = run("0 0 100 2");
    EXPECT_EQ(log.calls(), expected);
  }
  EXPECT_NE(o.out.find("\n2^100 = 1267650600228229401496703205376\n"), std::string::npos);
  // The factorial stage: its result, 0! (product, one, counter, one zero, the
  // copy) and the assignment; then 3 * 4 for the powers; and the two text
  // buffers of the printed results.
  EXPECT_EQ(test::array_allocations() - allocations_before, 1 + 5 + 1 + 3 * 4 + 2);
}

TEST(Dialogue, ClockCountsWallClockMilliseconds) {
  // Held to the standard steady clock over the same interval, not to an
  // expected duration: a loaded machine may wake the sleep as late as it
  // likes, and the test says the same. A clock in the wrong unit (seconds,
  // microseconds) or one of processor time fails one of the two bounds.
  steady_millisecond_clock clock;
  const auto outer_start = std::chrono::steady_clock::now();
  const std::int32_t start = clock.now_ms();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const std::int32_t elapsed = clock.now_ms() - start;
  const auto outer = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - outer_start);
  EXPECT_GE(elapsed, 50);  // a sleep never ends early; processor time barely moves
  EXPECT_LE(elapsed, outer.count() + 1);
}

TEST(Dialogue, BadAnswersDropTheirLineAndAreAskedAgain) {
  // Not a number (its line's rest is dropped, 99 with it), then a value past
  // the 32-bit range, at the n prompt; a word and a negative at the counts.
  const outcome o = run("abc 99\n99999999999\n4\nx\n-3\n1\n2 many\n1\n");
  EXPECT_EQ(o.out, banner + n_prompt + refusal + n_prompt + refusal + n_prompt + count_prompt +
                       refusal + count_prompt + refusal + count_prompt + factorial_report("0") +
                       "4! = 24\n\n" + p_prompt + count_prompt + refusal + count_prompt +
                       power_report("0") + "2^2 = 4\n");
  EXPECT_EQ(o.status, 0);
}

TEST(Dialogue, EndOfInputStopsWithStatusOne) {
  const std::string ended = "uhigh-bench: the input ended before the dialogue was complete\n";
  const outcome at_start = run("");
  EXPECT_EQ(at_start.out, banner + n_prompt);
  EXPECT_EQ(at_start.err, ended);
  EXPECT_EQ(at_start.status, 1);

  const outcome after_count = run("5 1\n3");
  EXPECT_EQ(after_count.out, banner + n_prompt + count_prompt + factorial_report("0") +
                                 "5! = 120\n\n" + p_prompt + count_prompt);
  EXPECT_EQ(after_count.err, ended);
  EXPECT_EQ(after_count.status, 1);

  const outcome garbage_then_end = run("5 zz");
  EXPECT_EQ(garbage_then_end.out, banner + n_prompt + count_prompt + refusal + count_prompt);
  EXPECT_EQ(garbage_then_end.status, 1);
}

namespace {
template <class Error>
class throwing_clock final : public millisecond_clock {
 public:
  std::int32_t now_ms() override { throw Error("test"); }
};

std::string error_line_of(millisecond_clock& clock) {
  std::istringstream in("5 1 3 1");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(run_program(in, out, err, clock), 1);
  return err.str();
}
}  // namespace

TEST(Dialogue, ProgramAFailedWriteStopsTheRunWithStatusOne) {
  // Standard output that takes the banner and the two prompts, then fails:
  // the time report is lost, and nothing is computed after it.
  struct limited_buffer : std::stringbuf {
    std::size_t room;
    explicit limited_buffer(std::size_t bytes) : room(bytes) {}
    std::streamsize xsputn(const char* s, std::streamsize n) override {
      const auto taken = std::min<std::streamsize>(n, static_cast<std::streamsize>(room));
      room -= static_cast<std::size_t>(taken);
      return std::stringbuf::xsputn(s, taken);
    }
    int overflow(int c) override { return room == 0 ? EOF : (--room, std::stringbuf::overflow(c)); }
  } buffer((banner + n_prompt + count_prompt).size());
  std::ostream out(&buffer);
  std::istringstream in("9 0 3 0");
  std::ostringstream err;
  scripted_clock clock({0, 0, 0, 0});
  const test::kernel_log log;
  EXPECT_EQ(run_program(in, out, err, clock), 1);
  EXPECT_EQ(err.str(), "uhigh-bench: cannot write standard output\n");
  EXPECT_EQ(buffer.str(), banner + n_prompt + count_prompt);
  EXPECT_TRUE(log.calls().empty()) << "9! was computed after the failure";
}

TEST(Dialogue, ProgramArithmeticFailuresBecomeOneLineAndStatusOne) {
  struct : millisecond_clock {
    std::int32_t now_ms() override { throw std::bad_alloc(); }
  } out_of_memory;
  EXPECT_EQ(error_line_of(out_of_memory),
            "uhigh-bench: out of memory; the result is too large for this machine\n");
  throwing_clock<std::length_error> too_long;
  EXPECT_EQ(error_line_of(too_long),
            "uhigh-bench: the result would have more than 4294967295 digits\n");
}
