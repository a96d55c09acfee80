"""Does the progress line move the timed figure? Runs the program with the
same answers with standard error on a pseudo-terminal (progress shown) and
on /dev/null (none), several times each way, and compares the fastest time
each stage reports.

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


best = {True: [1e9, 1e9], False: [1e9, 1e9]}
for _ in range(runs):
    for terminal in (False, True):
        (factorial, power), drawn = times(terminal)
        if terminal and drawn == 0:
            sys.exit("no progress line was drawn: the runs are too short to show it")
        best[terminal] = [min(best[terminal][0], factorial), min(best[terminal][1], power)]
print(f"answers {answers!r}, fastest of {runs} runs each way")
for i, stage in enumerate(("factorial", "power")):
    plain, shown = best[False][i], best[True][i]
    print(f"{stage:9}: {plain:.3f} s without a terminal, {shown:.3f} s with the progress line: "
          f"{(shown / plain - 1) * 100:+.1f} %")
