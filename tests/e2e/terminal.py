"""The progress line's terminal under what a user does to it during a run:
each signal, stop and continue, a resize, the line-editing keys, UTF-8
text, a window with no size, and the time left against the real wait.
Every test names the fault it catches. Run by end_to_end.py."""
import os
import re
import signal
import termios
import time
import unittest

from harness import COMMAND, FIRST_N, Terminal


def during_a_run(act, n=FIRST_N, limit=640000, grow=lambda n: 2 * n):
    """Runs n! once on a terminal and calls act(terminal, n) once the line
    is drawn; act returns False when the run ended before it was done,
    which proves nothing: then n grows to grow(n), twice n unless the test
    knows better (how long a run lasts depends on the machine, which no
    test can know). Returns (terminal, n)."""
    while True:
        terminal = Terminal(all_on_terminal=True)
        terminal.wait_for("factorial for? ")
        terminal.initial_modes = terminal.modes()  # before any run takes the keys
        terminal.type(f"{n}\n1\n")
        if terminal.wait_for_either(f"\r\x1b[J{n}!  ", "raised? ") and act(terminal, n) is not False:
            return terminal, n
        terminal.process.kill()
        terminal.finish()
        assert n < limit, f"every run up to {n}! ended too soon"
        n = grow(n)


def left_seconds(text):
    """The seconds a line's time left says."""
    if text == "under 1 s":
        return 0.5
    m = re.fullmatch(r"(?:(\d+) h )?(?:(\d+) min )?(\d+) (?:s|min)", text)
    h, mins, last = (int(g) if g else 0 for g in m.groups())
    return h * 3600 + mins * 60 + last if text.endswith(" s") else h * 3600 + last * 60


@unittest.skipIf(len(COMMAND) > 1 or os.name != "posix", "native POSIX runs only")
class TerminalUnderUse(unittest.TestCase):
    def test_each_signal_erases_the_line_and_gives_the_modes_back(self):
        # Catches: a signal without a handler (SIGTERM, SIGHUP) leaving the
        # line and raw modes behind, and a handler that forgets the modes.
        for number in (signal.SIGINT, signal.SIGQUIT, signal.SIGTERM, signal.SIGHUP):
            terminal, n = during_a_run(lambda terminal, n: terminal.process.send_signal(number))
            terminal.process.wait(timeout=60)
            after = terminal.modes()
            seen, _, status = terminal.finish()
            self.assertEqual(status, -number, seen[-200:])
            self.assertEqual(after, terminal.initial_modes, f"signal {number} left the modes changed")
            # The signal may land just after a phase ended and erased its
            # own line; what must never be left is a line drawn after the
            # last erase.
            after_erase = seen.rsplit("\r\x1b[J", 1)[-1]
            self.assertNotRegex(after_erase, r"\d+%", f"signal {number}: {seen[-80:]!r}")

    def test_keys_are_read_again_after_a_stop_and_a_resize(self):
        # Catches: raw mode not taken again after fg (typed keys then echo
        # and wait for a whole line), and a stop that leaves it raw.
        def stop_then_type(terminal, n):
            with terminal.lock:
                since = len(terminal.seen)
            terminal.process.send_signal(signal.SIGTSTP)
            while not terminal.stopped():
                time.sleep(0.01)
            stopped_modes = terminal.modes()
            terminal.process.send_signal(signal.SIGCONT)
            # The program takes raw mode again once it runs; on a busy
            # machine that can take longer than any fixed wait, so wait up
            # to 5 s for it.
            deadline = time.monotonic() + 5
            running_modes = terminal.modes()
            while running_modes[3] & termios.ICANON and time.monotonic() < deadline:
                time.sleep(0.05)
                running_modes = terminal.modes()
            with terminal.lock:
                # The phase ended meanwhile (its report, its result or the
                # next question came): the modes between phases are the
                # terminal's own, and the next phase takes the keys afresh.
                if any(end in terminal.seen[since:] for end in ("Elapsed", " = ", "raised? ")):
                    return False
            self.assertTrue(stopped_modes[3] & termios.ECHO, "stopped with the echo off")
            self.assertFalse(running_modes[3] & termios.ICANON, "not raw again after the stop")
            terminal.resize(50)
            terminal.process.send_signal(signal.SIGWINCH)
            terminal.type("7")
            return terminal.wait_for_either("typed: 7", "raised? ")
        terminal, _ = during_a_run(stop_then_type, limit=160000)
        terminal.wait_for("raised? ")
        terminal.type("2\n1\n")
        terminal.process.wait(timeout=300)
        self.assertEqual(terminal.modes(), terminal.initial_modes)
        seen, _, status = terminal.finish()
        self.assertEqual(status, 0)
        self.assertIn("2^72 = 4722366482869645213696", seen)

    def typed_during_a_run(self, keys, shown, answers):
        """Types keys during a run until the line shows `shown` (a longer
        run when it ended first), then the answers after the power prompt;
        returns what the terminal received, once the program ended well."""
        def type_keys(terminal, n):
            terminal.type(keys)
            return terminal.wait_for_either(shown, "raised? ")
        terminal, _ = during_a_run(type_keys, limit=160000)
        terminal.wait_for("raised? ")
        terminal.type(answers)
        seen, _, status = terminal.finish()
        self.assertEqual(status, 0)
        return seen

    def test_the_kill_key_erases_only_the_line_being_typed(self):
        # Catches: Ctrl-U erasing lines already ended, which changes an
        # answer typed ahead: "5 Enter 9 Ctrl-U" must keep the 5.
        self.assertIn("2^5 = 32", self.typed_during_a_run("5\n9\x15", "typed: 5^J", "3\n1\n"))

    def test_utf8_text_shows_as_typed(self):
        # Catches: a byte of 128 or more taken for a control key (é shown
        # as two ^ escapes). é is no number: refused, then asked again.
        self.assertNotIn("typed: ^", self.typed_during_a_run("é", "typed: é", "\n0\n0\n"))

    def test_a_window_with_no_size_is_taken_as_80_columns(self):
        # Catches: a width of 0 taken as it is, which cuts the line to one
        # character.
        def narrow(terminal, n):
            terminal.resize(0)
            terminal.process.send_signal(signal.SIGWINCH)
            with terminal.lock:
                since = len(terminal.seen)
            if not terminal.wait_for_either(f"\r\x1b[J{n}!  ", "raised? ", after=since):
                return False
            end = terminal.wait_for("\r", after=terminal.wait_for(f"\r\x1b[J{n}!", after=since))
            line = terminal.seen[since:end].rsplit("\x1b[J", 1)[1].rstrip("\r")
            self.assertTrue(30 < len(line) < 80, line)
            return True
        terminal, _ = during_a_run(narrow)
        terminal.wait_for("raised? ")
        terminal.type("0\n0\n")
        self.assertEqual(terminal.finish()[2], 0)

    @unittest.skipIf(os.environ.get("UHIGH_SANITIZED"), "a sanitized build's pace is not the program's")
    def test_the_time_left_follows_the_runs_own_pace(self):
        # Catches: a pace read from the wrong end of its window (no time
        # left then), or a time left that leaves out part of the wait (the
        # untimed result, half of it with a count of 1). The yardstick is
        # the run's own pace as the line shows it, the share done over the
        # previous 3 s, so a machine that slows down or speeds up moves both
        # alike: every such draw says 0.5 to 2 times what is left at that
        # pace, give or take 1.5 s.
        took = []

        def long_enough(terminal, n):
            start = time.monotonic()
            terminal.wait_for("raised? ", timeout=600)
            took.append(time.monotonic() - start)
            return took[-1] > 8

        def grow(n):
            # The work grows as n squared: aim the next run at 12 s, where
            # doubling would overshoot to four times the last one's length.
            if not took:
                return 2 * n
            factor = (12 / max(took.pop(), 0.5)) ** 0.5
            return int(n * min(2.0, max(1.25, factor)))
        terminal, n = during_a_run(long_enough, n=40000, limit=1280000, grow=grow)
        with terminal.lock:
            seen = terminal.seen
        draws = [(terminal.arrived(m.start()), m.group(1), int(m.group(2)), m.group(3)) for m in re.finditer(
            rf"\r\x1b\[J{n}!  (1/1 then untimed result|untimed result)  (\d+)%  (under 1 s|[\d hmins]+?) left", seen)]
        checked = 0
        for at, phase, share, left in draws:
            earlier = [d for d in draws if d[1] == phase and at - d[0] >= 3]
            if not earlier or share >= 99:
                continue
            then, _, share_then, _ = earlier[-1]
            if share == share_then:
                continue
            expected = (100 - share) * (at - then) / (share - share_then)
            checked += 1
            self.assertTrue(expected / 2 - 1.5 <= left_seconds(left) <= 2 * expected + 1.5,
                            f"{share}% {left} left, {expected:.1f} s at the run's pace")
        self.assertGreater(checked, 3, "too few draws with a time left")
        terminal.type("0\n0\n")
        self.assertEqual(terminal.finish()[2], 0)
