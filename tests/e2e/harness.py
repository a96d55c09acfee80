"""What the end-to-end tests share: the program's command (set once by
end_to_end.py from its arguments), a run with answers on standard input,
and the program on a pseudo-terminal, with the screen it leaves."""
import atexit
import os
import re
import signal
import subprocess
import termios
import threading
import time

# The program, after its emulator if any; end_to_end.py fills it in.
COMMAND = []

# The first sizes the terminal tests try: a native run of 20000! lasts long
# enough to see the line on most machines. A sanitized or emulated build runs
# about ten times slower, so smaller ones do there. A run too short for its
# test is doubled anyway; these only spare the slow builds minutes of work.
SLOW_BUILD = bool(os.environ.get("UHIGH_SANITIZED") or os.environ.get("UHIGH_EMULATED"))
FIRST_N = 4000 if SLOW_BUILD else 20000
FIRST_P = 40000 if SLOW_BUILD else 200000

# The kernel forms' names, from the one list of them.
FORMS = [line.split()[0] for line in open(os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "bignum", "kernels", "forms.list"))
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


# Every program a Terminal started; those still running are killed at exit.
LIVE = []
atexit.register(lambda: [p.kill() for p in LIVE if p.poll() is None])


class Terminal:
    """The program on a pseudo-terminal of that many columns: standard input
    and error on it, and standard output too when all_on_terminal is set
    (else a pipe, read into .out). The process leads a process group of its
    own, so job-control signals reach it alone. .seen is all the terminal
    received so far."""

    def __init__(self, columns=80, all_on_terminal=False):
        import fcntl
        import pty
        import struct
        import termios
        self.master, slave = pty.openpty()
        self.resize = lambda cols: fcntl.ioctl(self.master, termios.TIOCSWINSZ,
                                               struct.pack("HHHH", 24, cols, 0, 0))
        self.resize(columns)
        self.tty_name = os.ttyname(slave)  # for a reader after the program
        self.process = subprocess.Popen(
            COMMAND, stdin=slave, stderr=slave, process_group=0,
            stdout=slave if all_on_terminal else subprocess.PIPE)
        os.close(slave)
        self.out, self.seen, self.lock = [], "", threading.Lock()
        self.arrivals = []  # (time.monotonic(), len(seen)) after each chunk
        # Daemon readers, and the program killed at exit: a test that fails
        # while its program waits for an answer must not hang the run.
        LIVE.append(self.process)
        self.threads = [threading.Thread(target=self._read_terminal, daemon=True)]
        if not all_on_terminal:
            self.threads.append(threading.Thread(
                target=lambda: self.out.append(self.process.stdout.read()), daemon=True))
        for t in self.threads:
            t.start()

    def _read_terminal(self):
        while True:
            try:
                chunk = os.read(self.master, 4096)
            except OSError:  # the program has ended and closed the terminal
                return
            if not chunk:
                return
            with self.lock:
                self.seen += chunk.decode(errors="replace")
                self.arrivals.append((time.monotonic(), len(self.seen)))

    def type(self, text):
        os.write(self.master, text.encode())

    def arrived(self, offset):
        """When the terminal received the text at that offset."""
        with self.lock:
            return next(t for t, end in self.arrivals if end > offset)

    def modes(self):
        with open(self.tty_name) as tty:
            return termios.tcgetattr(tty)

    def wait_for(self, text, after=0, timeout=120):
        """Waits until the terminal has received text past offset after;
        returns where it ends. Fails the test when the program ends first."""
        end = time.monotonic() + timeout
        while True:
            with self.lock:
                at = self.seen.find(text, after)
                if at >= 0:
                    return at + len(text)
            if self.process.poll() is not None or time.monotonic() > end:
                raise AssertionError(f"never saw {text!r}: {self.seen[-300:]!r}")
            time.sleep(0.01)

    def wait_for_either(self, first, second, after=0, timeout=120):
        """True once the terminal has received first past offset after,
        False once second came there without it."""
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            with self.lock:
                if self.seen.find(first, after) >= 0:
                    return True
                if self.seen.find(second, after) >= 0:
                    return False
            time.sleep(0.01)
        raise AssertionError(f"saw neither {first!r} nor {second!r}: {self.seen[-300:]!r}")

    def stopped(self):
        with open(f"/proc/{self.process.pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "T"

    def finish(self):
        """(what the terminal received, standard output, exit status)."""
        self.process.wait(timeout=300)
        for t in self.threads:
            t.join(timeout=300)
        if self.process.stdout:
            self.process.stdout.close()
        os.close(self.master)
        out = self.out[0].decode() if self.out else ""
        return self.seen, out, self.process.returncode


def on_terminal(answers, interrupt_when=None, columns=80, type_when=None, typed="",
                signal_number=signal.SIGINT):
    """Runs the program with standard input and error on a pseudo-terminal of
    that many columns, the answers typed at the start: (what the terminal
    received, standard output, exit status). With interrupt_when, sends
    signal_number once the terminal has received that text; with type_when,
    types `typed` then, as a user typing ahead during a run would."""
    terminal = Terminal(columns)
    terminal.type(answers)
    if type_when:
        try:
            terminal.wait_for(type_when)
        except AssertionError:
            pass  # the program ended first: the caller sees that nothing was typed
        else:
            terminal.type(typed)
    if interrupt_when:
        try:
            terminal.wait_for(interrupt_when)
        except AssertionError:
            pass  # the program ended first: the caller sees its status
        else:
            terminal.process.send_signal(signal_number)
    return terminal.finish()


def screen(received, columns):
    """The rows a terminal of that width shows after receiving that text: \\r,
    \\n, printable characters with wrapping at the right edge, and erase to
    the end of the row (ESC [ K) or of the screen (ESC [ J), which is all
    the program and the echo of typed text send."""
    rows, row, column = [[]], 0, 0
    i = 0
    while i < len(received):
        c = received[i]
        if received.startswith("\x1b[K", i) or received.startswith("\x1b[J", i):
            del rows[row][column:]
            if received[i + 2] == "J":
                del rows[row + 1:]
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
