"""Mutation run: makes one plausible single-line fault at a time in the
product code (bignum/, app/), rebuilds, runs the suite, and reports each
fault the suite did not catch.

Usage: python3 tools/mutate.py [--named] [SUBSTRING...]

It works on a scratch copy of the working tree (under build-mutate/), never
on the tree itself, and rebuilds incrementally there. Only mutants whose
file or text contains one of the SUBSTRINGs run when any is given. The list
is tools/mutants.py. A mutant that no longer matches its file is reported
as stale: update the list when the code it names changes. A mutant that
names the tests that should catch it runs those first, and the whole suite
only when they pass; --named runs only such mutants, the quick run. A
surviving mutant is either a hole in the tests or equivalent (it changes
no behaviour); the ones known to be equivalent are marked so, with the
reason, as are the faults only a sanitizer can see (an unused read past a
run's end), which the ASan run in CI catches, and the few whose only effect
is a few milliseconds of timing, which no pass/fail test may measure.
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

from mutants import MUTANTS  # noqa: E402


def run(args, cwd, env=None, quiet=True, timeout=None):
    """The finished process; a run past its timeout counts as a failure
    (status 124), as CTest's time limit does: a fault that loops forever."""
    try:
        return subprocess.run(args, cwd=cwd, env=env, capture_output=quiet, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        return subprocess.CompletedProcess(args, 124)


def prepare():
    files = run(["git", "ls-files", "-co", "--exclude-standard"], ROOT).stdout.split()
    for f in files:
        # What the build and the suite read: the suite also tests CI's package
        # step (.ci/) and the report tool (bench/).
        if f.startswith(("bignum/", "app/", "tests/", "cmake/", "CMakeLists.txt", "fuzz/",
                         "packaging/", "man/", ".ci/", "bench/", "examples/")):
            target = SOURCE / f
            target.parent.mkdir(parents=True, exist_ok=True)
            if not target.exists() or target.read_bytes() != (ROOT / f).read_bytes():
                shutil.copy(ROOT / f, target)  # a new time, so make rebuilds what changed
    if run(["cmake", "-S", str(SOURCE), "-B", str(BUILD), "-DUHIGH_BUILD_BENCH=OFF",
            "-DUHIGH_TEST_TIMEOUT=40"], ROOT).returncode != 0:
        sys.exit("configure failed")


def first_tests(hint):
    """The command for a mutant's named tests: a gtest filter, or "e2e:"
    and a pattern of the end-to-end tests' names."""
    if hint.startswith("e2e:"):
        env = dict(os.environ, E2E_ONLY=hint[4:])
        return [sys.executable, str(SOURCE / "tests" / "e2e" / "end_to_end.py"), str(BUILD / "uhigh-bench")], env
    return [str(BUILD / "tests" / "uhigh_tests"), f"--gtest_filter={hint}"], dict(os.environ)


def build_and_test(at_limit=False, hint=None):
    if run(["cmake", "--build", str(BUILD), "-j2"], ROOT).returncode != 0:
        return "does not compile"
    if hint:
        # A hang is caught at once; any other failure must repeat, so that
        # a busy machine's hiccup is not taken for a catch. The named tests
        # take seconds, so two minutes is a hang.
        command, env = first_tests(hint)
        first = run(command, ROOT, env, timeout=120).returncode
        if first == 124 or (first != 0 and run(command, ROOT, env, timeout=120).returncode != 0):
            return "caught"
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
    named = "--named" in sys.argv[1:]
    only = [a for a in sys.argv[1:] if a != "--named"]
    SCRATCH.mkdir(exist_ok=True)
    prepare()
    if build_and_test() != "survived" or build_and_test(at_limit=True) != "survived":
        sys.exit("the suite fails before any mutant: fix that first")
    tally = {}
    for mutant in MUTANTS:
        path, text, replacement = mutant["path"], mutant["text"], mutant["new"]
        equivalent = mutant["equivalent"]
        if (only and not any(o in path or o in text for o in only)) or (named and not mutant["tests"]):
            continue
        file = SOURCE / path
        original = file.read_text()
        if original.count(text) != 1:
            verdict = "stale"
        else:
            file.write_text(original.replace(text, replacement))
            try:
                verdict = build_and_test(at_limit="max_digits" in text, hint=mutant["tests"])
            finally:
                file.write_text(original)
        if verdict == "survived" and equivalent:
            # Known survivors: equivalent, or a fault only a sanitizer sees.
            verdict = ("sanitizer-only" if equivalent.startswith("asan:") else
                       "timing-only" if equivalent.startswith("timing:") else "equivalent")
        tally[verdict] = tally.get(verdict, 0) + 1
        line = f"{verdict:17} {path}: {text.strip()[:60]!r} -> {replacement.strip()[:60]!r}"
        if verdict in ("equivalent", "sanitizer-only", "timing-only"):
            line += f" ({equivalent.removeprefix('asan: ').removeprefix('timing: ')})"
        print(line, flush=True)
    build_and_test()  # leave the scratch build as the tree is
    print(", ".join(f"{n} {v}" for v, n in sorted(tally.items())))
    sys.exit(1 if tally.get("survived") or tally.get("stale") or tally.get("flaky") else 0)


if __name__ == "__main__":
    main()
