"""Runs the built uhigh-bench with answers on standard input and checks what
it writes and how it exits.

Usage: end_to_end.py BINARY [EMULATOR...]: a cross-built binary runs under
its emulator (qemu-user, wine). E2E_ONLY=PATTERN runs only the tests whose
names contain it. Windows writes its console's own line ends
(CR LF); they are read back as plain newlines."""
import os
import re
import signal
import sys
import tempfile
import unittest

import harness
from harness import BANNER, FIRST_N, FORMS, Terminal, on_terminal, run, screen, without_times

harness.COMMAND[:] = sys.argv[2:] + [sys.argv[1]]
COMMAND = harness.COMMAND
del sys.argv[1:]

# Their test cases run here too.
from job_control import *  # noqa: E402,F401,F403
from terminal import *  # noqa: E402,F401,F403


class EndToEnd(unittest.TestCase):
    def test_sample_session(self):
        result = run("5\n1000\n10\n1000\n")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stderr, "")
        lines = result.stdout.split("\n")
        self.assertEqual(lines[:4], BANNER.split("\n")[:4])
        self.assertEqual(lines[4], "What number would you like a factorial for? ")
        self.assertEqual(lines[5], "Number of iterations to do? ")
        self.assertRegex(lines[6], r"^Uhigh Elapsed: [0-9.e+-]+ Sec$")
        self.assertEqual(lines[7:12], ["", "5! = 120", "", "", ""])
        self.assertEqual(lines[12], "To what power would you like two raised? ")
        self.assertEqual(lines[13], "Number of iterations to do? ")
        self.assertRegex(lines[14], r"^Elapsed: [0-9.e+-]+ Sec$")
        self.assertEqual(lines[15:], ["", "2^10 = 1024", ""])

    def test_input_that_ends_early(self):
        result = run("20 1\n")
        self.assertEqual(result.returncode, 1)
        self.assertIn("20! = 2432902008176640000\n", result.stdout)
        self.assertTrue(result.stdout.endswith("To what power would you like two raised? \n"))
        self.assertEqual(result.stderr.count("\n"), 1)
        self.assertIn("input ended", result.stderr)

    def test_ignores_its_command_line(self):
        result = run("3 0 3 0", ["--help", "7"])
        self.assertEqual(result.returncode, 0)
        self.assertIn("\n3! = 6\n", result.stdout)
        self.assertIn("\n2^3 = 8\n", result.stdout)


    def test_output_that_cannot_be_written(self):
        with open("/dev/full", "wb") as full:
            result = run("5\n1\n10\n1\n", stdout=full)
        self.assertEqual(result.returncode, 1)
        # The reason is the platform's own words (wine has its own).
        self.assertRegex(result.stderr, r"^uhigh-bench: cannot write standard output: [^\n]+\n$")
        closed = run("5\n1\n10\n1\n", stdout=None, shell_redirect=">&-")
        self.assertEqual(closed.returncode, 1)
        self.assertRegex(closed.stderr, r"^uhigh-bench: cannot write standard output: [^\n]+\n$")

    def test_input_that_cannot_be_read(self):
        with tempfile.TemporaryDirectory() as folder:
            fd = os.open(folder, os.O_RDONLY)
            try:
                result = run("", stdin=fd)
            finally:
                os.close(fd)
        self.assertEqual(result.returncode, 1)
        self.assertRegex(result.stderr, r"^uhigh-bench: cannot read standard input: [^\n]+\n$")



# The progress line is for POSIX terminals, and the sizes here are for a
# machine that runs the program natively.
@unittest.skipIf(len(COMMAND) > 1 or os.name != "posix", "native POSIX runs only")
class ProgressLine(unittest.TestCase):
    def until_drawn(self, run_at, enough):
        """run_at(n) on a terminal for n = FIRST_N, twice that, ... until enough(result)
        holds: the run must last long enough for the line to be drawn, and
        how long that is depends on the machine and its load, which no test
        can know. More work always shows more, so this waits for what it
        looks for instead of guessing a size; it fails only if even 640000!
        (minutes of work) never shows it."""
        n = FIRST_N
        while True:
            result = run_at(n)
            if enough(result):
                return n, result
            if n >= 640000:
                self.fail(f"no progress line even for {n}!: {result[0][-200:]!r}")
            n *= 2

    @staticmethod
    def draws(seen, n):
        return re.findall(rf"\r\x1b\[J({n}!  (?:1/1 then )?untimed result  \d+%[^\r\x1b]*)\r", seen)

    def test_shown_redrawn_and_erased_on_a_terminal_only(self):
        n, (seen, out, status, _) = self.until_drawn(
            lambda n: on_terminal(f"{n} 1 0 0\n") + (n,),
            lambda r: len(self.draws(r[0], r[3])) >= 2)
        self.assertEqual(status, 0)
        draws = self.draws(seen, n)
        # The time left, then the kernel form that runs.
        self.assertRegex(draws[0], rf"left  ({'|'.join(FORMS)})$")
        # Each phase ends with the row erased and the cursor home.
        self.assertTrue(seen.endswith("\r\x1b[J"), seen[-40:])
        # Standard output is what it is without a terminal, and a standard
        # error that is no terminal gets nothing.
        plain = run(f"{n} 1 0 0\n")
        self.assertEqual(plain.stderr, "")
        self.assertEqual(without_times(out), without_times(plain.stdout))

    def test_the_share_and_time_left_count_the_untimed_result_in(self):
        # One timed run, then the result's: the timed one is the stage's
        # first half, whatever the machine's speed.
        def both_phases(r):
            return (f"{r[3]}!  1/1 then untimed result  " in r[0]
                    and f"\x1b[J{r[3]}!  untimed result  " in r[0])
        n, (seen, _, status, _) = self.until_drawn(
            lambda n: on_terminal(f"{n} 1 0 0\n") + (n,), both_phases)
        self.assertEqual(status, 0)
        timed = [int(p) for p in re.findall(rf"{n}!  1/1 then untimed result  (\d+)%", seen)]
        result = [int(p) for p in re.findall(rf"\x1b\[J{n}!  untimed result  (\d+)%", seen)]
        self.assertTrue(max(timed) <= 50 <= min(result), (timed, result))

    def test_narrow_terminal_and_typing_during_a_run_leave_nothing(self):
        columns = 20
        n, (seen, _, status, _) = self.until_drawn(
            lambda n: on_terminal(f"{n} 1 0 0\n", columns=columns,
                                  type_when=f"{n}!  1/1", typed="300000 2") + (n,),
            lambda r: f"\r\x1b[J{r[3]}!  1/1" in r[0])  # typed once the line showed
        self.assertEqual(status, 0)
        draws = re.findall(r"\r\x1b\[J([^\r\x1b]+)\r", seen)
        self.assertTrue(draws, seen)
        self.assertTrue(all(len(d) < columns for d in draws), draws)  # never wraps
        # What the terminal shows at the end: the answers typed at the start,
        # and nothing of the line or of what was typed onto its row.
        rows = [row for row in screen(seen, columns) if row]
        self.assertEqual(rows, [f"{n} 1 0 0"], seen)

    def during_a_run(self, act, n=FIRST_N):
        """Runs n! once on a terminal (n = FIRST_N, twice that, ... until the line
        shows during a phase, which no test can know in advance: a
        sanitized build is ten times slower, a fast machine fast), and calls
        act(terminal, n) once the line is drawn; act answers the power
        stage. Returns (terminal, n)."""
        while True:
            terminal = Terminal(all_on_terminal=True)
            terminal.wait_for("factorial for? ")
            terminal.type(f"{n}\n1\n")
            # The line, or the next question if both phases ended too soon.
            shown = terminal.wait_for_either(f"\r\x1b[J{n}!  ", "raised? ")
            if not shown:
                terminal.type("0\n0\n")
                terminal.finish()
                if n >= 320000:
                    self.fail(f"no progress line even for {n}!")
                n *= 2
                continue
            act(terminal, n)
            return terminal, n

    def within_one_run(self, act):
        """Runs n! on a terminal, n growing from FIRST_N, until act(terminal,
        n) returns True; act returns False when the run ended before act
        was done, which proves nothing. Answers the power stage with 0 and
        0, and checks the program then ends well."""
        n = FIRST_N
        while True:
            done = []
            terminal, n = self.during_a_run(lambda t, n: done.append(act(t, n)), n)
            terminal.wait_for("raised? ")
            terminal.type("0\n0\n")
            seen, _, status = terminal.finish()
            self.assertEqual(status, 0)
            self.assertIn("2^0 = 1", seen)
            if done[0]:
                return
            if n >= 320000:
                self.fail(f"every run up to {n}! ended before the test was done")
            n *= 2  # a longer run, so that all of act lands within it

    def test_keys_typed_during_a_run_answer_what_the_screen_shows(self):
        # 7 typed during the run is shown on the line, then after the power
        # prompt, where 2 and Enter complete it: the program raises two to
        # the 72 that the screen shows.
        n = FIRST_N
        while True:
            terminal, n = self.during_a_run(lambda t, n: t.type("7"), n)
            # A run can end between the line's first draw and the key's
            # arrival; then the key waits in the terminal and no line ever
            # shows it, so that run proves nothing and a longer one follows.
            if terminal.wait_for_either("typed: 7", "raised? "):
                break
            terminal.type("2\n1\n")
            terminal.finish()
            n *= 2
        prompt_end = terminal.wait_for("raised? ")
        terminal.wait_for("7", after=prompt_end)
        terminal.type("2\n")
        terminal.wait_for("iterations to do? ", after=prompt_end)
        terminal.type("1\n")
        seen, _, status = terminal.finish()
        self.assertEqual(status, 0)
        self.assertIn("2^72 = 4722366482869645213696", seen)
        rows = screen(seen, 80)
        self.assertIn("To what power would you like two raised? 72", rows)
        self.assertFalse([r for r in rows if "typed:" in r or "!  " in r], rows)

    def test_stop_and_continue_erase_then_redraw_the_line(self):
        import time

        def stop_twice(terminal, n):
            """Stops and continues the run twice. False when the run ended
            before a stop or a redraw came: a stop between runs rightly
            leaves no erase behind, so that run proves nothing."""
            since = 0
            for _ in range(2):
                terminal.process.send_signal(signal.SIGTSTP)
                while not terminal.stopped():
                    time.sleep(0.01)
                time.sleep(0.2)  # whatever was written before the stop is in
                with terminal.lock:
                    seen = terminal.seen
                ended = "Elapsed: " in seen[since:]
                if not ended:
                    # The last thing on the terminal before the stop is the erase.
                    self.assertTrue(seen.endswith("\r\x1b[J"), repr(seen[-80:]))
                terminal.process.send_signal(signal.SIGCONT)
                if ended or not terminal.wait_for_either(f"\r\x1b[J{n}!  ", "Elapsed: ",
                                                         after=len(seen)):  # drawn again
                    return False
                since = len(seen)
            return True

        self.within_one_run(stop_twice)

    def test_quit_erases_the_line_and_ends_by_the_signal(self):
        seen, _, status = on_terminal("100000 1 0 0\n", interrupt_when="100000!  1/1",
                                      signal_number=signal.SIGQUIT)
        self.assertEqual(status, -signal.SIGQUIT)
        self.assertRegex(seen, r"100000!  1/1.*\r\x1b\[J$")

    def test_a_narrowed_window_leaves_no_tail(self):
        def narrow(terminal, n):
            terminal.resize(24)
            with terminal.lock:
                before = len(terminal.seen)
            terminal.process.send_signal(signal.SIGWINCH)
            # The next draw clears to the end of the screen first (all that
            # the old width's line used, wrapped or not) and fits the new
            # width.
            # (A line is "N!  ..."; the result after the last erase is
            # "N! = ...", which is no draw.)
            if not terminal.wait_for_either(f"\r\x1b[J{n}!  ", f"{n}! = ", after=before):
                return False  # the run ended before its next draw
            end = terminal.wait_for(f"\r\x1b[J{n}!  ", after=before) - 2
            line = terminal.seen[end - len(f"{n}!"):terminal.wait_for("\r", after=end)]
            self.assertLess(len(line.rstrip("\r")), 24, line)
            return True

        self.within_one_run(narrow)

    def test_interrupt_erases_the_line_and_ends_by_the_signal(self):
        seen, _, status = on_terminal("100000 1 0 0\n", interrupt_when="100000!  1/1")
        self.assertEqual(status, -signal.SIGINT)
        self.assertRegex(seen, r"100000!  1/1.*\r\x1b\[J$")
        self.assertEqual([row for row in screen(seen, 80) if row], ["100000 1 0 0"])


if __name__ == "__main__":
    # E2E_ONLY=PATTERN runs only the tests whose names contain it.
    only = os.environ.get("E2E_ONLY")
    unittest.main(argv=[sys.argv[0], "-v"] + (["-k", only] if only else []))
