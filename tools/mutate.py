"""Mutation run: makes one plausible single-line fault at a time in the
product code (bignum/, app/), rebuilds, runs the suite, and reports each
fault the suite did not catch.

Usage: python3 tools/mutate.py [SUBSTRING...]

It works on a scratch copy of the working tree (under build-mutate/), never
on the tree itself, and rebuilds incrementally there. Only mutants whose
file or text contains one of the SUBSTRINGs run when any is given. A mutant that no
longer matches its file is reported as stale: update the list below when
the code it names changes. A surviving mutant is either a hole in the tests
or equivalent (it changes no behaviour); the ones known to be equivalent are
marked so, with the reason, as are the faults only a sanitizer can see
(an unused read past a run's end), which the ASan run in CI catches.
"""
import os
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SCRATCH = ROOT / "build-mutate"
SOURCE = SCRATCH / "src"
BUILD = SCRATCH / "build"

# (file, text, replacement[, why it is equivalent])
MUTANTS = [
    ("bignum/uhigh.cpp", "if (value < 0) throw", "if (value < -1) throw"),
    ("bignum/uhigh.cpp", "if (capacity == 0) return nullptr;", "if (capacity == 1) return nullptr;"),
    ("bignum/uhigh.cpp", "  if (this == &source) return *this;\n  std::int8_t* fresh", "  std::int8_t* fresh"),
    ("bignum/uhigh.cpp", "if (n <= capacity) return;", "if (n < capacity) return;"),
    ("bignum/uhigh.cpp", "std::uint64_t{capacity} + min_growth", "std::uint64_t{capacity} + min_growth - 1"),
    ("bignum/uhigh.cpp", "if (n > max_digits) throw", "if (n >= max_digits) throw"),
    ("bignum/uhigh.cpp", "storage::zero(digits, places);", "storage::zero(digits, places - 1);"),
    ("bignum/uhigh.cpp", "storage::zero(fresh + length, capacity - length);", ""),
    ("bignum/uhigh.cpp", "length += places;", "length += places - 1;"),
    ("bignum/uhigh.cpp", "for (std::uint32_t i = count; i >= 1; --i)", "for (std::uint32_t i = count; i > 1; --i)"),
    ("bignum/uhigh.h", "max_digits = 4'294'967'295u;", "max_digits = 4'294'967'294u;"),
    ("bignum/uhigh_add_sub.cpp", "reserve_wide(std::uint64_t{longer} + 1);", "reserve_wide(std::uint64_t{longer});"),
    ("bignum/uhigh_add_sub.cpp", "own >= theirs ? digits : addend", "own > theirs ? digits : addend",
     "equal lengths leave no positions for the second kernel call"),
    ("bignum/uhigh_add_sub.cpp", "length = longer + 1;", "length = longer;"),
    ("bignum/uhigh_add_sub.cpp", "if (carry != 0) {", "if (carry == 0) {"),
    ("bignum/uhigh_add_sub.cpp", "while (length > 0 && digits[length - 1] == 0)", "while (length > 1 && digits[length - 1] == 0)",
     "stopping at one digit gives what the zero fix-up below gives"),
    ("bignum/uhigh_add_sub.cpp", "if (length == 0) length = 1;", ""),
    ("bignum/uhigh_add_sub.cpp", "length - theirs, borrow);", "length - theirs, !borrow);"),
    ("bignum/uhigh_compare.cpp", "left.length > right.length ? 1 : -1", "left.length > right.length ? -1 : 1"),
    ("bignum/uhigh_compare.cpp", "i-- > 0;", "i-- > 1;"),
    ("bignum/uhigh_compare.cpp", "return compare(left, right) > 0;", "return compare(left, right) >= 0;"),
    ("bignum/uhigh_multiply.cpp", "if (factor == 10) {", "if (factor == 11) {"),
    ("bignum/uhigh_multiply.cpp", "if (factor > 10) {", "if (factor >= 10) {",
     "10 is taken by the shift before this test"),
    ("bignum/uhigh_multiply.cpp", "i < other.length; ++i", "i + 1 < other.length; ++i"),
    ("bignum/uhigh_multiply.cpp", "if (i > 0) partial.shift_up(i);", "if (i > 1) partial.shift_up(i);"),
    ("bignum/uhigh_multiply.cpp", "digits[length] = decimal_low(split_decimal(carry));", "digits[length] = 1;"),
    ("bignum/uhigh_output.cpp", 'if (count == 0) return out << "0";', 'if (count == 0) return out << "";'),
    ("bignum/uhigh_output.cpp", "value.digits[count - 1 - i]", "value.digits[i]"),
    ("bignum/kernels/reference.cpp", "carry = (carry != 0 && sum >= 10) ? 1 : 0;", "carry = (carry != 0 && sum > 10) ? 1 : 0;"),
    ("bignum/kernels/reference.cpp", "return static_cast<digit>(difference + 10);", "return static_cast<digit>(difference + 9);"),
    ("bignum/kernels/reference.cpp", "multiplier * a[i] + carry", "multiplier * a[i]"),
    ("bignum/kernels/word.cpp", "constexpr word_t bias = 0xF6 * ones;", "constexpr word_t bias = 0xF5 * ones;"),
    ("bignum/kernels/word.cpp", "return w - ((w >> 7) & ones) * 0xF6;", "return w - ((w >> 6) & ones) * 0xF6;",
     "every byte is a digit 0..9 or 246..255, and bits 6 and 7 agree on all of them"),
    ("bignum/kernels/word.cpp", "(((product & even) * 205) >> 11) & nibble", "(((product & even) * 205) >> 10) & nibble"),
    ("bignum/kernels/word.cpp", "if constexpr (std::endian::native == std::endian::little) {\n    return w;",
     "if constexpr (std::endian::native == std::endian::big) {\n    return w;"),
    ("bignum/kernels/word.cpp", "high_in = high >> (8 * width - 8);", "high_in = high >> (8 * width - 16);"),
    ("bignum/kernels/simd.h", "c = total >> 8;", "c = total >> 7;"),
    ("bignum/kernels/simd.h", "return V::min_u8(t, V::add(t, V::set1(10)));\n  }\n\n  // Lane-wide",
     "return V::min_u8(t, V::add(t, V::set1(9)));\n  }\n\n  // Lane-wide"),
    ("bignum/kernels/simd.h", "if (Checked && V::any_zero_lane(x0, x1))", "if (false && V::any_zero_lane(x0, x1))"),
    ("bignum/kernels/simd.h", "static_cast<unsigned>(m * below / 10) + c", "static_cast<unsigned>(m * below % 10) + c"),
    ("bignum/kernels/simd.h", "if (j + 2 * block <= n) down", "if (j + block <= n) down",
     "asan: reads up to a block past the run without using it; the sanitizer run sees it"),
    ("bignum/kernels/simd.h", "return lanes[block / 8 - 1] == 0 ? 1 : 0;", "return lanes[0] == 0 ? 1 : 0;"),
    ("bignum/kernels/avx512.cpp", "_mm512_alignr_epi64(v, below, 7)", "_mm512_alignr_epi64(v, below, 6)"),
    ("bignum/kernels/avx2.cpp", "_mm256_permute2x128_si256(below, v, 0x21)", "_mm256_permute2x128_si256(below, v, 0x20)"),
    ("bignum/kernels/sse2.cpp", "_mm_shuffle_epi32(_mm_srai_epi32(v.q[k], 31), 0xF5)", "_mm_shuffle_epi32(_mm_srai_epi32(v.q[k], 31), 0xA0)"),
    ("bignum/kernels/select.cpp", "if (cpu.avx512f && cpu.avx512bw)", "if (cpu.avx512f)"),
    ("bignum/kernels/select.cpp", "form{forms_for(this_cpu()).back()}", "form{forms_for(this_cpu()).front()}"),
    ("bignum/kernels/select.cpp", "if (found == all.end()) return false;", "if (found != all.end()) return false;"),
    ("bignum/kernels/select.cpp", "forms.push_back(&sse2);", ""),
    ("app/factorial.cpp", "while (counter > uhigh(0))", "while (counter > uhigh(1))"),
    ("bignum/uhigh_add_sub.cpp", "if (compare(other, *this) > 0) throw", "if (compare(other, *this) > 1) throw"),
    ("bignum/uhigh_multiply.cpp", "  if (zero_result) length = 1;\n}\n\nvoid uhigh::multiply_small",
     "  static_cast<void>(zero_result);\n}\n\nvoid uhigh::multiply_small"),
    ("bignum/uhigh_multiply.cpp", "add up to a run of zero digits.\n  if (zero_result) length = 1;",
     "add up to a run of zero digits.\n  static_cast<void>(zero_result);"),
    ("bignum/uhigh_multiply.cpp", "partial.multiply_small(static_cast<std::uint8_t>(other.digits[i]));",
     "partial *= static_cast<std::uint8_t>(other.digits[i]);"),
    ("bignum/uhigh.h", "multiply_by(static_cast<unsigned long long>(factor));", "multiply_by(static_cast<unsigned char>(factor));"),
    ("bignum/uhigh.h", "if (factor < 0) throw_negative();", "",
     "uhigh(factor), which a negative factor then reaches, refuses it the same way before anything changes"),
    ("bignum/uhigh.cpp", "decimal[i] > '9'", "decimal[i] > ':'"),
    ("bignum/uhigh.cpp", "std::min(decimal.find_first_not_of('0'), decimal.size() - 1)", "std::min<std::size_t>(0, decimal.size() - 1)"),
    ("app/dialogue.cpp", "const bool glued = !failed && !ended && !std::isspace(in_.peek());", "const bool glued = false;"),
    ("app/dialogue.cpp", "static_cast<double>(ms) * 0.001", "static_cast<double>(std::int64_t{stop} - start + 0 * ms) * 0.001"),
    ("app/progress.cpp", "if (text.size() > room) text.resize(room);", "if (text.size() > room + 80) text.resize(room);"),
    ("app/progress.cpp", "text += uhigh_kernels::active_form();", ""),
    ("app/factorial.cpp", "uhigh result(product);\n  return result;", "return product;"),
    ("app/dialogue.cpp", "if (answer >= 0 && answer <= max) return true;", "if (answer >= 0 && answer < max) return true;"),
    ("app/dialogue.cpp", "if (answer >= 0 && answer <= max) return true;", "if (answer > 0 && answer <= max) return true;"),
    ("app/dialogue.cpp", "      in_.clear();\n", "\n"),
    ("app/dialogue.cpp", "left != 0; --left", "left > 1; --left"),
    ("app/dialogue.cpp", "* 0.001);", "* 0.01);"),
    ("app/dialogue.cpp", 'seconds << " Sec\\n" << std::endl;', 'seconds << " Sec" << std::endl;'),
    ("app/stage_work.cpp", "for (std::int32_t i = 0; i < times; ++i)", "for (std::int32_t i = 0; i <= times; ++i)"),
    ("app/dialogue.cpp", "  return 1;\n}\n", "  return 0;\n}\n"),
    ("app/dialogue.cpp", "  if (out_) {\n    errno = 0;", "  if (true) {\n    errno = 0;"),
    ("app/dialogue.cpp", "} else if (in_.bad() || (ended && console_.read_error())) {", "} else if (in_.bad()) {"),
    ("app/clock.cpp", "duration_cast<std::chrono::milliseconds>", "duration_cast<std::chrono::microseconds>"),
    ("app/cost_model.cpp", "const double d = digits_of(n - a);", "const double d = digits_of(a + 1);"),
    ("bignum/limbs.cpp", "carry = (s < t) | (s >= base);", "carry = s >= base;"),
    ("bignum/limbs.h", "if (__builtin_expect(r >= base, 0)) {", "if (__builtin_expect(r > base, 0)) {"),
    ("bignum/limbs.cpp", "const std::size_t significant = std::min(2 * low + 2, 2 * n - low);", "const std::size_t significant = std::min(2 * low + 1, 2 * n - low);",
     "the middle product is below 2 B^n, so its limb 2 low + 1 is always zero"),
    ("bignum/limbs.cpp", "if (up >= room) {", "if (up > room) {"),
    ("bignum/limbs_ntt.cpp", "const limb r0_in_p1 = r0 >= f1.p ? r0 - f1.p : r0;", "const limb r0_in_p1 = r0;"),
    ("bignum/limbs_ntt.cpp", "y[j] = k.add(u, k.p - v);", "y[j] = k.add(u, k.p - v - 1);"),
    ("bignum/uhigh_convert.cpp", "if (value > (most - digit) / 10) break;", "if (value > most / 10) break;"),
    ("bignum/uhigh_convert.cpp", "  if (c == '+') c = source.snextc();\n", "\n"),
    ("app/cost_model.cpp", "cost += d * count * ((L(a) + L(b - 1)) / 2 + 0.5 + fixed_cost);", "cost += count * ((L(a) + L(b - 1)) / 2 + 0.5 + fixed_cost);"),
    ("bignum/uhigh_compare.cpp", "return left_zero == right_zero ? 0 : left_zero ? -1 : 1;", "return left_zero ? -1 : 1;"),
    ("bignum/uhigh_add_sub.cpp", "length = std::max<std::uint32_t>(longer, 1);", "length = longer;"),
    ("bignum/uhigh_add_sub.cpp", "  if (length == 0) return;\n", "\n"),
    ("bignum/uhigh.cpp", "  if (value < 0) throw_negative();\n  assign_magnitude(static_cast<uhigh_detail::uint128>(value));", "  assign_magnitude(static_cast<uhigh_detail::uint128>(value));"),
    ("bignum/uhigh.cpp", "std::int8_t low_first[39];", "std::int8_t low_first[39] = {};\n  magnitude = static_cast<unsigned long long>(magnitude);"),
    ("bignum/uhigh.h", "uhigh_detail::is_character<T> ||\n                                          std::is_floating_point_v<T>,\n                                      int> = 0>\n  uhigh(T) = delete;", "std::is_floating_point_v<T>,\n                                      int> = 0>\n  uhigh(T) = delete;"),
]


def run(args, cwd, env=None, quiet=True):
    return subprocess.run(args, cwd=cwd, env=env, capture_output=quiet, text=True)


def prepare():
    files = run(["git", "ls-files", "-co", "--exclude-standard"], ROOT).stdout.split()
    for f in files:
        # What the build and the suite read: the suite also tests CI's package
        # step (.ci/) and the report tool (bench/).
        if f.startswith(("bignum/", "app/", "tests/", "cmake/", "CMakeLists.txt", "fuzz/",
                         "packaging/", "man/", ".ci/", "bench/")):
            target = SOURCE / f
            target.parent.mkdir(parents=True, exist_ok=True)
            if not target.exists() or target.read_bytes() != (ROOT / f).read_bytes():
                shutil.copy2(ROOT / f, target)
    if run(["cmake", "-S", str(SOURCE), "-B", str(BUILD), "-DUHIGH_BUILD_BENCH=OFF",
            "-DUHIGH_TEST_TIMEOUT=40"], ROOT).returncode != 0:
        sys.exit("configure failed")


def build_and_test(at_limit=False):
    if run(["cmake", "--build", str(BUILD), "-j2"], ROOT).returncode != 0:
        return "does not compile"
    tests = ["ctest", "--test-dir", str(BUILD), "-j2", "--stop-on-failure", "--no-tests=error"]
    env = dict(os.environ)
    if at_limit:
        # The opt-in test of the largest value (4 GiB, some seconds) on one
        # form: the limit is the class's, the same on every form.
        env["UHIGH_TEST_MAX_DIGITS"] = "1"
        tests += ["-R", "uhigh_tests_word"]
    result = run(tests, ROOT, env)
    if result.returncode == 0:
        return "survived"
    # A real catch fails again; a test that passes on a second try was
    # thrown by the machine, not by the mutant.
    again = run(["ctest", "--test-dir", str(BUILD), "--rerun-failed"], ROOT, env)
    return "caught" if again.returncode != 0 else "flaky"


def main():
    only = sys.argv[1:]
    SCRATCH.mkdir(exist_ok=True)
    prepare()
    if build_and_test() != "survived" or build_and_test(at_limit=True) != "survived":
        sys.exit("the suite fails before any mutant: fix that first")
    tally = {}
    for mutant in MUTANTS:
        path, text, replacement = mutant[:3]
        equivalent = mutant[3] if len(mutant) > 3 else None
        if only and not any(o in path or o in text for o in only):
            continue
        file = SOURCE / path
        original = file.read_text()
        if original.count(text) != 1:
            verdict = "stale"
        else:
            file.write_text(original.replace(text, replacement))
            try:
                verdict = build_and_test(at_limit="max_digits" in text)
            finally:
                file.write_text(original)
        if verdict == "survived" and equivalent:
            # Known survivors: equivalent, or a fault only a sanitizer sees.
            verdict = "sanitizer-only" if equivalent.startswith("asan:") else "equivalent"
        tally[verdict] = tally.get(verdict, 0) + 1
        line = f"{verdict:17} {path}: {text.strip()[:60]!r} -> {replacement.strip()[:60]!r}"
        if verdict in ("equivalent", "sanitizer-only"):
            line += f" ({equivalent.removeprefix('asan: ')})"
        print(line, flush=True)
    build_and_test()  # leave the scratch build as the tree is
    print(", ".join(f"{n} {v}" for v, n in sorted(tally.items())))
    sys.exit(1 if tally.get("survived") or tally.get("stale") or tally.get("flaky") else 0)


if __name__ == "__main__":
    main()
