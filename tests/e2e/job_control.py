"""Job control and the program's time: a stop leaves the figure, keys typed
when no question is left reach the next reader of the terminal, and the
progress line counts the untimed result in. Run by end_to_end.py."""
import os
import re
import signal
import subprocess
import termios
import threading
import time
import unittest

from harness import COMMAND, FIRST_N, FIRST_P, Terminal

STOP = 3.0  # seconds each test keeps the program stopped
# What the figure may still hold of a stop: the clock counts up to 20 ms of
# one, and the test's own readings of the screen lag by a few more.
MARGIN = 0.5


def wait_until_stopped(process):
    while True:
        with open(f"/proc/{process.pid}/stat") as f:
            if f.read().rsplit(")", 1)[1].split()[0] == "T":
                return
        time.sleep(0.01)


def figure(text, label):
    return float(re.search(rf"{label}([0-9.e+-]+) Sec", text).group(1))


@unittest.skipIf(len(COMMAND) > 1 or os.name != "posix", "native POSIX runs only")
class JobControl(unittest.TestCase):
    def stop_in_timed_run(self, start, seen, send_stop, n=FIRST_N):
        """start(n) runs n! twice and the power stage at 0; once seen()
        shows the count prompt answered, sends the stop (send_stop(process)),
        keeps the program stopped STOP seconds and continues it. Doubles n
        until the whole stop fell inside the timed run, which no test can
        size in advance. Returns (everything seen, seconds from the prompt
        to the report, n)."""
        while True:
            process = start(n)
            while "iterations to do? " not in seen():
                self.assertIsNone(process.poll(), seen())
                time.sleep(0.005)
            asked = time.monotonic()
            time.sleep(0.3)
            send_stop(process)
            wait_until_stopped(process)
            early = "Elapsed" in seen()
            time.sleep(STOP)
            process.send_signal(signal.SIGCONT)
            while not re.search(r"Uhigh Elapsed: \S+ Sec", seen()):
                self.assertIsNone(process.poll(), seen()[-300:])
                time.sleep(0.005)
            reported = time.monotonic() - asked
            process.wait(timeout=300)
            if not early:
                return seen(), reported, n
            self.assertLess(n, 640000, "every run ended before its stop")
            n *= 2

    def test_a_stop_is_left_out_of_the_figure(self):
        # Stopped by SIGSTOP, which no program can catch, with no terminal.
        out = []
        lock = threading.Lock()

        def start(n):
            out.clear()
            process = subprocess.Popen(COMMAND, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                       stderr=subprocess.PIPE)
            process.stdin.write(f"{n} 2\n0 0\n".encode())
            process.stdin.close()

            def read():
                for chunk in iter(lambda: os.read(process.stdout.fileno(), 4096), b""):
                    with lock:
                        out.append(chunk.decode())
            threading.Thread(target=read, daemon=True).start()
            return process

        def seen():
            with lock:
                return "".join(out)

        text, wall, _ = self.stop_in_timed_run(start, seen, lambda p: p.send_signal(signal.SIGSTOP))
        # Without a terminal the figure says nothing more, and nothing goes
        # to standard error.
        self.assertLessEqual(figure(text, "Uhigh Elapsed: ") + STOP - MARGIN, wall, text)

    def test_ctrl_z_is_left_out_and_said_on_the_terminal(self):
        terminals = []

        def start(n):
            terminals.append(Terminal(all_on_terminal=True))
            terminals[-1].type(f"{n} 2\n0 0\n")
            return terminals[-1].process

        def seen():
            with terminals[-1].lock:
                return terminals[-1].seen

        text, wall, _ = self.stop_in_timed_run(start, seen, lambda p: p.send_signal(signal.SIGTSTP))
        terminals[-1].finish()
        self.assertLessEqual(figure(text, "Uhigh Elapsed: ") + STOP - MARGIN, wall, text)
        said = re.search(r"the run was stopped for ([0-9.]+) s; that time is left out", text)
        self.assertIsNotNone(said, text[-400:])
        self.assertGreaterEqual(float(said.group(1)), STOP - MARGIN)

    def test_keys_typed_during_the_last_run_reach_the_next_reader(self):
        # No question follows the power stage's count: keys typed during its
        # runs are the next program's, as if this one had never run.
        p = FIRST_P
        while True:
            terminal = Terminal(all_on_terminal=True)
            with open(terminal.tty_name) as tty:
                modes = termios.tcgetattr(tty)
            terminal.type(f"0 0 {p} 2\n")
            shown = terminal.wait_for_either(f"\r\x1b[J2^{p}  ", f"2^{p} = ")
            if shown:
                terminal.type("echo leaked\n")
                shown = terminal.process.poll() is None  # typed while it ran
            terminal.process.wait(timeout=300)
            if shown:
                break
            terminal.finish()
            self.assertLess(p, 6400000, "every run ended before the keys came")
            p *= 2
        with open(terminal.tty_name) as tty:
            self.assertEqual(termios.tcgetattr(tty), modes)  # its modes, as they were
            shell = subprocess.run(["bash", "-c", 'IFS= read -r -t 10 line; printf "got[%s]" "$line"'],
                                   stdin=tty, capture_output=True, text=True, timeout=30)
        seen, _, status = terminal.finish()
        self.assertEqual(status, 0)
        self.assertEqual(shell.stdout, "got[echo leaked]", seen[-300:])
        self.assertNotIn("typed:", seen)
