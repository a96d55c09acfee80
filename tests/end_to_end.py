"""Runs the built uhigh-bench with answers on standard input and checks what
it writes and how it exits.

Usage: end_to_end.py BINARY [EMULATOR...]: a cross-built binary runs under
its emulator (qemu-user, wine). Windows writes its console's own line ends
(CR LF); they are read back as plain newlines."""
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import unittest

BINARY = sys.argv[1]
COMMAND = sys.argv[2:] + [BINARY]
del sys.argv[1:]

# The kernel forms' names, from the one list of them.
FORMS = [line.split()[0] for line in open(os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "bignum", "kernels", "forms.list"))
    if line[:1].isalpha()]

BANNER = ("This program tests the uhigh maths class.\n"
          "The program compute factorials and raise 2\n"
          "to powers with total precision.\n\n")


def run(answers, args=(), stdout=subprocess.PIPE, stdin=None, shell_redirect=""):
    command = COMMAND + list(args)
    if shell_redirect:
        command = ["sh", "-c", f'exec "$@" {shell_redirect}', "sh"] + command
    result = subprocess.run(command, input=None if stdin else answers.encode(), stdin=stdin,
                            stdout=stdout, stderr=subprocess.PIPE, timeout=300)
    result.stdout = result.stdout or b""
    result.stdout = result.stdout.decode().replace("\r\n", "\n")
    result.stderr = result.stderr.decode().replace("\r\n", "\n")
    return result


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



def on_terminal(answers, interrupt_when=None, columns=80, type_when=None, typed=""):
    """Runs the program with standard input and error on a pseudo-terminal of
    that many columns, the answers typed at the start: (what the terminal
    received, standard output, exit status). With interrupt_when, sends
    SIGINT once the terminal has received that text; with type_when, types
    `typed` then, as a user typing ahead during a run would."""
    import fcntl
    import pty
    import struct
    import termios
    master, slave = pty.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    process = subprocess.Popen(COMMAND, stdin=slave, stdout=subprocess.PIPE, stderr=slave)
    os.close(slave)
    os.write(master, answers.encode())
    out = []
    reader = threading.Thread(target=lambda: out.append(process.stdout.read()))
    reader.start()
    seen = b""
    while True:
        try:
            chunk = os.read(master, 4096)
        except OSError:  # the program has ended and closed the terminal
            break
        if not chunk:
            break
        seen += chunk
        if interrupt_when and interrupt_when.encode() in seen:
            process.send_signal(signal.SIGINT)
            interrupt_when = None
        if type_when and type_when.encode() in seen:
            os.write(master, typed.encode())
            type_when = None
    reader.join(timeout=300)
    process.wait(timeout=300)
    process.stdout.close()
    os.close(master)
    return seen.decode(), out[0].decode(), process.returncode


def screen(received, columns):
    """The rows a terminal of that width shows after receiving that text: \\r,
    \\n, printable characters with wrapping at the right edge, and erase to
    the end of the row (ESC [ K), which is all the program and the echo of
    typed text send."""
    rows, row, column = [[]], 0, 0
    i = 0
    while i < len(received):
        c = received[i]
        if received.startswith("\x1b[K", i):
            del rows[row][column:]
            i += 2  # and one more below
        elif c == "\r":
            column = 0
        elif c == "\n":
            row += 1
        else:
            if column == columns:  # wraps only when one more character comes
                row, column = row + 1, 0
            while len(rows) <= row:
                rows.append([])
            line = rows[row]
            line.extend(" " * (column + 1 - len(line)))
            line[column] = c
            column += 1
        while len(rows) <= row:
            rows.append([])
        i += 1
    return ["".join(line).rstrip() for line in rows]


def without_times(text):
    return re.sub(r"Elapsed: [0-9.e+-]+ Sec", "Elapsed: T Sec", text)


# The progress line is for POSIX terminals, and the sizes here are for a
# machine that runs the program natively.
@unittest.skipIf(len(COMMAND) > 1 or os.name != "posix", "native POSIX runs only")
class ProgressLine(unittest.TestCase):
    def until_drawn(self, run_at, enough):
        """run_at(n) on a terminal for n = 20000, 40000, ... until enough(result)
        holds: the run must last long enough for the line to be drawn, and
        how long that is depends on the machine and its load, which no test
        can know. More work always shows more, so this waits for what it
        looks for instead of guessing a size; it fails only if even 640000!
        (minutes of work) never shows it."""
        n = 20000
        while True:
            result = run_at(n)
            if enough(result):
                return n, result
            if n >= 640000:
                self.fail(f"no progress line even for {n}!: {result[0][-200:]!r}")
            n *= 2

    @staticmethod
    def draws(seen, n):
        return re.findall(rf"\r({n}!  (?:1/1|result)  \d+%[^\r\x1b]*)\x1b\[K\r", seen)

    def test_shown_redrawn_and_erased_on_a_terminal_only(self):
        n, (seen, out, status, _) = self.until_drawn(
            lambda n: on_terminal(f"{n} 1 0 0\n") + (n,),
            lambda r: len(self.draws(r[0], r[3])) >= 2)
        self.assertEqual(status, 0)
        draws = self.draws(seen, n)
        # The time left, then the kernel form that runs.
        self.assertRegex(draws[0], rf"left  ({'|'.join(FORMS)})$")
        # Each phase ends with the row erased and the cursor home.
        self.assertTrue(seen.endswith("\r\x1b[K"), seen[-40:])
        # Standard output is what it is without a terminal, and a standard
        # error that is no terminal gets nothing.
        plain = run(f"{n} 1 0 0\n")
        self.assertEqual(plain.stderr, "")
        self.assertEqual(without_times(out), without_times(plain.stdout))

    def test_narrow_terminal_and_typing_during_a_run_leave_nothing(self):
        columns = 20
        n, (seen, _, status, _) = self.until_drawn(
            lambda n: on_terminal(f"{n} 1 0 0\n", columns=columns,
                                  type_when=f"{n}!  1/1", typed="300000 2") + (n,),
            lambda r: "300000 2" in r[0])  # typed once the line showed
        self.assertEqual(status, 0)
        draws = re.findall(r"\r([^\r\x1b]+)\x1b\[K\r", seen)
        self.assertTrue(draws, seen)
        self.assertTrue(all(len(d) < columns for d in draws), draws)  # never wraps
        # What the terminal shows at the end: the answers typed at the start,
        # and nothing of the line or of what was typed onto its row.
        rows = [row for row in screen(seen, columns) if row]
        self.assertEqual(rows, [f"{n} 1 0 0"], seen)

    def test_interrupt_erases_the_line_and_ends_by_the_signal(self):
        seen, _, status = on_terminal("100000 1 0 0\n", interrupt_when="100000!  1/1")
        self.assertEqual(status, -signal.SIGINT)
        self.assertRegex(seen, r"100000!  1/1.*\r\x1b\[K$")
        self.assertEqual([row for row in screen(seen, 80) if row], ["100000 1 0 0"])


if __name__ == "__main__":
    unittest.main()
