"""Times both stages with the fastest kernel form and the reference form,
GMP, CPython and bc, all in one run, and prints a Markdown table.

Usage: python3 bench/compare.py BUILD_DIR [REPETITIONS]
Each figure is the fastest of REPETITIONS (default 5) runs, so that noise
from other work on the machine inflates nothing."""
import json
import subprocess
import sys
import time

build = sys.argv[1]
reps = int(sys.argv[2]) if len(sys.argv) > 2 else 5


def best(fn):
    times = []
    for _ in range(reps):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times)


def python_power():
    x = 1
    for _ in range(100000):
        x += x


def python_factorial():
    f = 1
    for k in range(5000, 0, -1):
        f *= k


def bc_factorial():
    subprocess.run(["bc", "-q"], input="f=1; for(k=5000;k>0;k--) f*=k\n", text=True,
                   capture_output=True, check=True)


out = subprocess.run(
    [f"{build}/bench/stages_bench", "--benchmark_format=json",
     f"--benchmark_repetitions={reps}", "--benchmark_min_time=0.2"],
    capture_output=True, text=True, check=True).stdout
ours = {}
for b in json.loads(out)["benchmarks"]:
    if b.get("run_type") != "iteration":
        continue
    name = b["run_name"].replace("/iterations:1", "")
    seconds = b["real_time"] / 1e3  # reported in ms
    ours[name] = min(ours.get(name, seconds), seconds)

fast = next(n.split("/")[1] for n in ours if n.startswith("power/") and "gmp" not in n
            and "reference" not in n)
peers = {
    "python/power/100000": best(python_power),
    "python/factorial/5000": best(python_factorial),
    "bc/factorial/5000": best(bc_factorial),
}


def ms(seconds):
    return f"{seconds * 1e3:.1f} ms"


print(f"| work | uhigh, {fast} | uhigh, reference | GMP | CPython | bc |")
print("| --- | --- | --- | --- | --- | --- |")
for stage, args in (("factorial", (1000, 5000, 20000)), ("power", (10000, 100000))):
    for n in args:
        label = f"{n}!" if stage == "factorial" else f"2^{n}"
        row = [label, ms(ours[f"{stage}/{fast}/{n}"])]
        row.append(ms(ours[f"{stage}/reference/{n}"]) if f"{stage}/reference/{n}" in ours else "-")
        row.append(ms(ours[f"{stage}/gmp/{n}"]))
        row.append(ms(peers[f"python/{stage}/{n}"]) if f"python/{stage}/{n}" in peers else "-")
        row.append(ms(peers[f"bc/{stage}/{n}"]) if f"bc/{stage}/{n}" in peers else "-")
        print("| " + " | ".join(row) + " |")

power = ours[f"power/{fast}/100000"]
fact = ours[f"factorial/{fast}/5000"]
print()
print(f"- 2^100000 by doubling: {power / peers['python/power/100000']:.2f} x CPython's own loop")
print(f"- 5000!: {fact / ours['factorial/reference/5000']:.3f} x the reference kernels, "
      f"{fact / peers['bc/factorial/5000']:.3f} x bc")
