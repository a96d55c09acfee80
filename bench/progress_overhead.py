"""Does the progress line move the timed figure? Runs the program with the
same answers with standard error on a pseudo-terminal (progress shown) and
on /dev/null (none), several times each way in turn, and compares the
fastest time each stage reports, against the noise: the spread (slowest /
fastest) of the same binary run the same way back to back.

Usage: python3 bench/progress_overhead.py BINARY [RUNS] [ANSWERS]
  default: 7 runs of "20000 5 300000 5" (about a second per timed loop)
"""
import os
import pty
import re
import subprocess
import sys
import threading

binary = sys.argv[1]
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
answers = sys.argv[3] if len(sys.argv) > 3 else "20000 5 300000 5"


def times(terminal):
    if terminal:
        master, slave = pty.openpty()
        stderr = slave
    else:
        stderr = subprocess.DEVNULL
    process = subprocess.Popen([binary], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=stderr)
    out = []
    feeder = threading.Thread(target=lambda: out.append(process.communicate(answers.encode())[0]))
    feeder.start()
    drawn = 0
    if terminal:
        os.close(slave)
        while True:
            try:
                chunk = os.read(master, 4096)
            except OSError:
                break
            if not chunk:
                break
            drawn += chunk.count(b"\r")
        os.close(master)
    feeder.join()
    found = re.findall(rb"Elapsed: ([0-9.]+) Sec", out[0])
    return [float(x) for x in found], drawn


# Every run's figures, each way, taken in turn so that a change in the
# machine's load reaches both alike.
taken = {True: [], False: []}
for _ in range(runs):
    for terminal in (False, True):
        figures, drawn = times(terminal)
        if terminal and drawn == 0:
            sys.exit("no progress line was drawn: the runs are too short to show it")
        taken[terminal].append(figures)
print(f"answers {answers!r}, fastest of {runs} runs each way, taken in turn")
for i, stage in enumerate(("factorial", "power")):
    plain = [run[i] for run in taken[False]]
    shown = [run[i] for run in taken[True]]
    # The noise: how far the same binary, the same way, strays from its own
    # fastest run to run. A difference inside it says nothing.
    noise = max(max(plain) / min(plain), max(shown) / min(shown)) - 1
    change = min(shown) / min(plain) - 1
    verdict = "within the noise" if abs(change) <= noise else "beyond the noise"
    print(f"{stage:9}: {min(plain):.3f} s without a terminal (spread {max(plain) / min(plain):.2f}), "
          f"{min(shown):.3f} s with the progress line (spread {max(shown) / min(shown):.2f}): "
          f"{change * 100:+.1f} %, {verdict} of ±{noise * 100:.1f} %")
