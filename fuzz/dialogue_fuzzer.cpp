// Feeds its input to the dialogue as standard input, in-process, with a
// ticking clock, every number it could accept made small first so that
// each run is short. The dialogue must end, report its end correctly, and write only what the
// dialogue can write: the banner, prompts, refusals, reports and the exact
// n! and 2^p for the n and p it prints.
#include <gmpxx.h>

#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "app/dialogue.h"

using namespace uhigh_bench;

namespace {

// Traps, which libFuzzer reports with the input, when ok is false.
void require(bool ok) {
  if (!ok) __builtin_trap();
}

class ticking_clock final : public millisecond_clock {
 public:
  std::int32_t now_ms() override { return ticks_ += 7; }

 private:
  std::int32_t ticks_ = 0;
};

// Walks the output; every take() must match or the run traps.
class output_reader {
 public:
  explicit output_reader(std::string_view text) : rest_(text) {}
  bool done() const { return rest_.empty(); }
  bool next_is(std::string_view literal) const {
    return rest_.substr(0, literal.size()) == literal;
  }
  void take(std::string_view literal) {
    require(next_is(literal));
    rest_.remove_prefix(literal.size());
  }
  std::string take_while(bool (*accept)(char)) {
    std::size_t n = 0;
    while (n < rest_.size() && accept(rest_[n]))
      ++n;
    std::string taken(rest_.substr(0, n));
    rest_.remove_prefix(n);
    return taken;
  }

 private:
  std::string_view rest_;
};

bool is_digit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool is_float_char(char c) { return is_digit(c) || c == '.' || c == 'e' || c == '+' || c == '-'; }

constexpr std::string_view refusal = "I need a positive number twit! Try again\n";

// A prompt, answered after any number of refusals. False when the output
// ends right after the prompt (the input ended there).
bool asked(output_reader& out, std::string_view prompt) {
  for (;;) {
    out.take(prompt);
    if (out.done()) return false;
    if (!out.next_is(refusal)) return true;
    out.take(refusal);
  }
}

bool stage_output(output_reader& out, std::string_view prompt, std::string_view label, bool power) {
  if (!asked(out, prompt)) return false;
  if (!asked(out, "Number of iterations to do? \n")) return false;
  out.take(label);
  require(!out.take_while(is_float_char).empty());
  out.take(" Sec\n\n");
  if (power) out.take("2^");
  const std::string number = out.take_while(is_digit);
  require(!number.empty() && number.size() < 4);
  out.take(power ? " = " : "! = ");
  mpz_class expected;
  const unsigned long n = std::stoul(number);
  if (power) {
    mpz_ui_pow_ui(expected.get_mpz_t(), 2, n);
  } else {
    mpz_fac_ui(expected.get_mpz_t(), n);
  }
  out.take(expected.get_str());
  out.take(power ? "\n" : "\n\n");
  return true;
}

// The input with every run of digits whose value the dialogue could accept
// (up to 2^31 - 1) taken modulo 101, so no run computes more than 100! or
// 2^100, 100 times. Longer runs, past the 32-bit range, stay as they are:
// refusing them is the dialogue's to get right. Everything else (signs,
// glued characters, white space, bytes of any value) is left alone.
std::string with_small_numbers(std::string_view input) {
  std::string out;
  std::size_t i = 0;
  while (i < input.size()) {
    if (!is_digit(input[i])) {
      out += input[i++];
      continue;
    }
    std::size_t end = i;
    unsigned long long value = 0;
    bool fits = true;
    for (; end < input.size() && is_digit(input[end]); ++end) {
      value = value * 10 + static_cast<unsigned>(input[end] - '0');
      if (value > 2147483647u) fits = false, value = 2147483648u;
    }
    out += fits ? std::to_string(value % 101) : std::string(input.substr(i, end - i));
    i = end;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in(with_small_numbers({reinterpret_cast<const char*>(data), size}));
  std::ostringstream out;
  std::ostringstream err;
  ticking_clock clock;
  const int status = run_dialogue(in, out, err, clock);

  const std::string text = out.str();
  output_reader reader(text);
  reader.take(
      "This program tests the uhigh maths class.\n"
      "The program compute factorials and raise 2\n"
      "to powers with total precision.\n\n");
  const bool complete =
      stage_output(reader, "What number would you like a factorial for? \n",
                   "Uhigh Elapsed: ", false) &&
      stage_output(reader, "\n\nTo what power would you like two raised? \n", "Elapsed: ", true);
  require(reader.done());
  if (complete) {
    require(status == 0 && err.str().empty());
  } else {
    require(status == 1 &&
            err.str() == "uhigh-bench: the input ended before the dialogue was complete\n");
  }
  return 0;
}
