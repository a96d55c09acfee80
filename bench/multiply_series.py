#!/usr/bin/env python3
"""The library's multiplication series: n x n and n x n/10 digits at 10^3 to
10^6, by uhigh, Python's decimal (libmpdec, exact context), CPython's int
and GMP (mpz_mul alone, and with mpz_get_str for the decimal text).

usage: bench/multiply_series.py [--sizes N,...] [--rounds R] [--out PREFIX] BUILD_DIR

Every contender runs in a fresh process of its own, and the contenders take
turns size by size and round by round, so a change in the machine's load
reaches all of them alike. Each keeps the fastest of its rounds, and its
spread (slowest / fastest) is recorded beside it. The Python peers run
under every Python 3 build found (the python3 on PATH and Debian's
/usr/bin/python3); the ratios use the fastest, which is named.

Writes PREFIX.json and, with matplotlib, PREFIX.png; PREFIX defaults to
BUILD_DIR/multiply-series. Pass --out bench/results-multiply to update the
tracked results."""
import argparse
import json
import os
import platform
import shutil
import subprocess
import sys

PY_LOOP = r"""
import sys, time, random
kind, na, nb, reps = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
if hasattr(sys, "set_int_max_str_digits"):
    sys.set_int_max_str_digits(0)
random.seed(20261209)
a = str(random.randint(1, 9)) + "".join(random.choice("0123456789") for _ in range(na - 1))
b = str(random.randint(1, 9)) + "".join(random.choice("0123456789") for _ in range(nb - 1))
if kind == "decimal":
    import decimal
    c = decimal.getcontext()
    c.prec, c.Emax, c.Emin = decimal.MAX_PREC, decimal.MAX_EMAX, decimal.MIN_EMIN
    x, y = decimal.Decimal(a), decimal.Decimal(b)
else:
    x, y = int(a), int(b)
best = 1e300
for _ in range(reps):
    t = time.perf_counter(); z = x * y; best = min(best, time.perf_counter() - t)
print(best)
"""


def pythons():
    """Each distinct Python 3 build: (label, path)."""
    found, seen = [], set()
    for path in (shutil.which("python3"), "/usr/bin/python3"):
        if not path or not os.path.exists(path):
            continue
        real = os.path.realpath(path)
        if real in seen:
            continue
        seen.add(real)
        info = subprocess.run([path, "-c", "import sys, platform, decimal; print(platform."
                               "python_version(), platform.python_compiler(), decimal.__libmpdec_version__)"],
                              capture_output=True, text=True).stdout.strip()
        found.append((f"{path} ({info})", path))
    return found


def reps_for(digits):
    return 20 if digits <= 10000 else 5 if digits <= 100000 else 2


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     usage="bench/multiply_series.py [--sizes N,...] [--rounds R] "
                                           "[--out PREFIX] BUILD_DIR")
    parser.add_argument("build_dir")
    parser.add_argument("--sizes", default="1000,10000,100000,1000000")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--out")
    args = parser.parse_args()
    tool = os.path.join(args.build_dir, "bench", "multiply_times")
    if not os.access(tool, os.X_OK):
        parser.print_usage(sys.stderr)
        print(f"multiply_series.py: no {tool}: build the benchmarks first (GMP needed)", file=sys.stderr)
        return 2
    sizes = [int(s) for s in args.sizes.split(",")]
    out = args.out or os.path.join(args.build_dir, "multiply-series")
    builds = pythons()
    contenders = [("uhigh", None), ("gmp", None), ("gmp+text", None)]
    contenders += [(f"{kind} {label}", (kind, path)) for kind in ("decimal", "int") for label, path in builds]

    def measure(name, how, na, nb):
        reps = reps_for(na)
        if how is None:
            run = subprocess.run([tool, name, str(na), str(nb), str(reps)], capture_output=True, text=True)
            return json.loads(run.stdout)["seconds"]
        kind, path = how
        if kind == "int" and na > 100000:
            return None  # CPython's multiplication past 10^5 digits takes minutes
        run = subprocess.run([path, "-c", PY_LOOP, kind, str(na), str(nb), str(reps)],
                             capture_output=True, text=True)
        return float(run.stdout)

    points = []
    for n in sizes:
        for nb in (n, n // 10):
            times = {name: [] for name, _ in contenders}
            for rnd in range(args.rounds):
                order = contenders if rnd % 2 == 0 else contenders[::-1]
                for name, how in order:
                    t = measure(name, how, n, nb)
                    if t is not None:
                        times[name].append(t)
            point = {"a": n, "b": nb, "fastest": {}, "spread": {}}
            for name, ts in times.items():
                if ts:
                    point["fastest"][name] = min(ts)
                    point["spread"][name] = max(ts) / min(ts)
            decimals = {k: v for k, v in point["fastest"].items() if k.startswith("decimal")}
            best_decimal = min(decimals, key=decimals.get)
            point["fastest_decimal"] = best_decimal
            point["uhigh_over_decimal"] = point["fastest"]["uhigh"] / decimals[best_decimal]
            point["uhigh_over_gmp_text"] = point["fastest"]["uhigh"] / point["fastest"]["gmp+text"]
            points.append(point)
            print(f"{n} x {nb}: uhigh {point['fastest']['uhigh']:.6f} s "
                  f"(spread {point['spread']['uhigh']:.2f}), decimal {decimals[best_decimal]:.6f} s "
                  f"(spread {point['spread'][best_decimal]:.2f}), GMP {point['fastest']['gmp']:.6f} s, "
                  f"GMP + text {point['fastest']['gmp+text']:.6f} s; uhigh / decimal "
                  f"{point['uhigh_over_decimal']:.2f}, uhigh / (GMP + text) {point['uhigh_over_gmp_text']:.2f}",
                  flush=True)
    cpu = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                if line.startswith("model name")), platform.processor())
    result = {"host": {"cpu": cpu, "machine": platform.machine(),
                       "uhigh_form": subprocess.run([os.path.join(args.build_dir, "tests", "uhigh_tests"),
                                                     "--list-forms"], capture_output=True,
                                                    text=True).stdout.split()[-1:],
                       "pythons": [label for label, _ in builds]},
              "method": f"fastest of {args.rounds} interleaved rounds, each in a fresh process",
              "points": points}
    with open(out + ".json", "w") as f:
        json.dump(result, f, indent=1)
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("the plot needs python3-matplotlib; the table and the JSON are written")
        return 0
    fig, axes = plt.subplots(1, 2, figsize=(11, 4.5))
    styles = {"uhigh": ("tab:blue", "o"), "gmp": ("tab:green", "s"), "gmp+text": ("tab:olive", "D")}
    for ax, ratio in zip(axes, (1, 10)):
        chosen = [p for p in points if p["a"] == p["b"] * ratio]
        names = ["uhigh", "gmp", "gmp+text"] + sorted({p["fastest_decimal"] for p in chosen})
        peers = iter([("tab:red", "^"), ("tab:purple", "v"), ("tab:brown", "<")])
        for name in names:
            xs = [p["a"] for p in chosen if name in p["fastest"]]
            ys = [p["fastest"][name] for p in chosen if name in p["fastest"]]
            colour, marker = styles[name] if name in styles else next(peers)
            ax.loglog(xs, ys, marker=marker, color=colour, label=name.split(" (")[0])
        ax.set_title(f"n x n/{ratio} digits" if ratio > 1 else "n x n digits")
        ax.set_xlabel("n (digits)")
        ax.set_ylabel("seconds (fastest of rounds)")
        ax.grid(True, which="both", alpha=0.3)
        ax.legend(fontsize=8)
    fig.suptitle(f"uhigh multiplication against its peers; {cpu}", fontsize=9)
    fig.tight_layout()
    fig.savefig(out + ".png", dpi=90)
    print(f"wrote {out}.json and {out}.png")
    return 0


if __name__ == "__main__":
    sys.exit(main())
