"""Measures both stages over a range of sizes, for the fastest kernel form,
the word and reference forms, the floor of the prescribed work, and the
peers running the same loops: GMP, CPython's int, Python's decimal (libmpdec,
decimal like uhigh) and bc. Writes every figure to a JSON file and draws a
log-log plot of seconds per repetition.

Usage: bench/compare.py [--large] [--stages NAME,...] [--sizes N,...] [--out PREFIX] BUILD_DIR
  BUILD_DIR: a Release build with the benchmarks (bench/stage_times,
  bench/floor; built wherever GMP is). --stages: factorial and power (the
  program's stages), and mul, div and prime (the library series, which
  bench/library_series.py measures into PREFIX-library). --sizes: the
  stages' sizes instead of the standard ones. PREFIX defaults to
  BUILD_DIR/results (or BUILD_DIR/results-large): the tracked
  bench/results.* change only when named, --out bench/results.
  --large: the sizes past the caches (up to 300000! and 2^10,000,000), with
  the fastest form and the floor at every size, and the peers at the sizes
  they finish within four minutes; over an hour here. Not part of CI.

Every contender runs each size in turn, round by round, the order reversed
every other round, so that a change in the machine's load reaches all of
them alike: at least three rounds a point, up to seven while a size is
cheap. A point keeps the fastest round and the spread (slowest / fastest);
within a round uhigh and GMP take the fastest of enough repetitions to fill
half a second, a Python peer the fastest of three. A series stops after its
first size over its limit: the next would take several times as long. Each
run is a fresh process, pinned to the CPU that was idlest when the report
began, and its peak resident memory (KiB, the whole process) is kept. The
normal run takes about fifteen minutes here.
"""
import json
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

import hostinfo

SIZES = {
    "factorial": [1000, 2000, 5000, 10000, 20000, 50000, 100000],
    "power": [10000, 30000, 100000, 300000, 1000000],
}
LARGE_SIZES = {
    "factorial": [100000, 200000, 300000],
    "power": [1000000, 3000000, 10000000],
}
SLOW = 3.0         # a series stops after its first size slower than this
PEER_SLOW = 5.0    # ... a Python peer's, so that decimal reaches 2^1,000,000
LARGE_SLOW = 240.0  # ... and in a --large run: a peer's sizes end before this
MOST_ROUNDS = 7     # rounds of a size whose runs are cheap ...
EXTRA_ROUNDS_UNDER = 5.0  # ... that is, add up to less than this many seconds

# One repetition of each stage in Python, timed in its own process: the
# fastest of `reps`, then its seconds as JSON. DECIMAL_SETUP makes decimal
# exact: every digit kept, no exponent limit in reach.
PYTHON_LOOPS = {
    "factorial": "f = one\nfor k in range(size, 0, -1):\n    f *= k\n",
    "power": "x = one\nfor _ in range(size):\n    x += x\n",
}
DECIMAL_SETUP = ("import decimal\n"
                 "decimal.setcontext(decimal.Context(prec=decimal.MAX_PREC, "
                 "Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN))\n"
                 "one = decimal.Decimal(1)\n")
INT_SETUP = "one = 1\n"


def python_program(setup, stage, size, reps):
    body = "\n".join("    " + line for line in PYTHON_LOOPS[stage].splitlines())
    return (f"import json, time\n{setup}size = {size}\nbest = None\n"
            f"for _ in range({reps}):\n    start = time.perf_counter()\n{body}\n"
            "    took = time.perf_counter() - start\n"
            "    best = took if best is None else min(best, took)\n"
            "    if took > 1: break\n"
            "peak = next(int(l.split()[1]) for l in open('/proc/self/status') "
            "if l.startswith('VmHWM:'))\n"
            "print(json.dumps({'seconds': best, 'peak_kib': peak}))\n")


def decimal_is_exact(setup=DECIMAL_SETUP):
    """Whether the loops, set up as `setup` says, give the exact n! and 2^p
    that int gives, at sizes whose results have thousands of digits (an
    ordinary 28-digit decimal context rounds them). Checked in a fresh
    process, as the timed runs are."""
    check = (setup + "import math\nf = one\nfor k in range(1500, 0, -1):\n    f *= k\n"
             "x = one\nfor _ in range(9000):\n    x += x\n"
             "print(int(f) == math.factorial(1500) and int(x) == 2 ** 9000)\n")
    result = subprocess.run([sys.executable, "-c", check], capture_output=True, text=True)
    return result.returncode == 0 and result.stdout.strip() == "True"


# The CPU every measured process runs on, or None to leave them unpinned.
PINNED = None


def cpu_idle_times(stat_text):
    """{cpu number: idle + iowait ticks} from the text of /proc/stat."""
    times = {}
    for line in stat_text.splitlines():
        name, *fields = line.split()
        if name.startswith("cpu") and name[3:].isdigit():
            times[int(name[3:])] = int(fields[3]) + int(fields[4])
    return times


def idlest(before, after, allowed):
    """The allowed CPU that idled longest between two samples of
    cpu_idle_times, the highest-numbered on a tie; None if none is known."""
    known = [c for c in sorted(allowed) if c in before and c in after]
    return max(known, key=lambda c: (after[c] - before[c], c)) if known else None


def quietest_cpu(sample=0.5):
    """The CPU this process may use that other work left idlest over
    `sample` seconds, or None where /proc/stat cannot be read."""
    stat = Path("/proc/stat")
    try:
        before = cpu_idle_times(stat.read_text())
        time.sleep(sample)
        return idlest(before, cpu_idle_times(stat.read_text()), os.sched_getaffinity(0))
    except (OSError, ValueError, IndexError):
        return None


def pinning(cpu):
    """A preexec_fn for subprocess that puts the child on `cpu`; None when
    cpu is None, leaving the child unpinned."""
    return (lambda: os.sched_setaffinity(0, {cpu})) if cpu is not None else None


def spawn(args, stdin_text=None):
    """Runs args in a fresh process, stdin_text on its standard input: (its
    standard output as JSON, its peak resident memory in KiB). The peak is
    the process's VmHWM, read from /proc every few milliseconds while it
    runs (it only grows); a program that reports its own VmHWM on exit
    (stage_times, the Python loops) is taken at its word. The kernel's
    maxrss from wait4 would not do: it keeps this Python's own figure across
    fork and exec. The process runs on the PINNED CPU; this one, and its
    watcher, stay free to run elsewhere."""
    process = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True, preexec_fn=pinning(PINNED))
    watched = [0]

    def watch():
        status = Path(f"/proc/{process.pid}/status")
        while process.poll() is None:
            try:
                for line in status.read_text().splitlines():
                    if line.startswith("VmHWM:"):
                        watched[0] = max(watched[0], int(line.split()[1]))
            except (OSError, ValueError):
                pass
            time.sleep(0.005)

    import threading
    watcher = threading.Thread(target=watch)
    watcher.start()
    out, _ = process.communicate(stdin_text)
    watcher.join()
    if process.returncode != 0:
        raise subprocess.CalledProcessError(process.returncode, args)
    result = json.loads(out) if out.strip() else {}
    return result, result.get("peak_kib", watched[0])


def reps_for(seconds):
    """Enough repetitions for half a second of them, at least two; the
    fastest counts."""
    return max(2, min(1000, int(0.5 / max(seconds, 1e-6))))


def ratio_text(ratio, spread_a, spread_b):
    """A ratio of two fastest times, marked ~ when it lies within 1 plus or
    minus the two sides' spreads together: no difference that the noise of
    the run could not make."""
    noise = (spread_a - 1) + (spread_b - 1)
    return f"{ratio:.2f}" + ("~" if abs(ratio - 1) <= noise else "")


def floor_ratios(stage_points, floor_points):
    """Stage time over floor time, size by size, where both were measured."""
    floors = {p["size"]: p["floor"] for p in floor_points}
    return {p["size"]: p["seconds"] / floors[p["size"]] for p in stage_points
            if p["size"] in floors}


def growth(points, work, a, b):
    """(time ratio, work ratio, time ratio / work ratio) from size a to b."""
    seconds = {p["size"]: p["seconds"] for p in points}
    t = seconds[b] / seconds[a]
    w = work[b] / work[a]
    return t, w, t / w


def bytes_per_digit(point, stage):
    """The process's peak resident memory per digit of the result: the whole
    process, interpreter or C++ runtime included, with no baseline taken
    off (a baseline from another process could exceed the peak, and gave
    negative figures). None when there is no peak to show."""
    peak = point.get("peak_kib", 0)
    return peak * 1024 / result_digits(stage, point["size"]) if peak > 0 else None


def result_digits(stage, size):
    """Digits of n! or 2^p, from logarithms."""
    import math
    if stage == "factorial":
        return int(math.lgamma(size + 1) / math.log(10)) + 1
    return int(size * math.log10(2)) + 1


def interleaved(sizes, contenders, rounds):
    """Every contender at each size in turn, round by round (the order
    reversed every other round), so that a change in the machine's load
    reaches all of them alike: {name: points}. contenders is a list of
    (name, measure, limit, predict); measure(size) gives a point's figures.
    A point keeps the fastest of its rounds (at least `rounds`, up to
    MOST_ROUNDS while the size's runs add up to under EXTRA_ROUNDS_UNDER
    seconds), their spread (slowest / fastest) and the largest peak memory.
    A contender stops after its first size slower than its limit; with
    predict, a size is not started when the last point's time, grown with
    the square of the size, would pass the limit."""
    points = {name: [] for name, *_ in contenders}
    active = list(contenders)
    for size in sizes:
        running = []
        for c in active:
            name, _, limit, predict = c
            last = points[name][-1] if points[name] else None
            if predict and last and last["seconds"] * (size / last["size"]) ** 2 > limit:
                continue
            running.append(c)
        taken = {name: [] for name, *_ in running}
        rnd = 0
        # Every point gets `rounds` rounds, slow ones included: a single
        # run is one draw of the machine's load. While a size is cheap,
        # more rounds follow, up to EXTRA_ROUNDS_UNDER seconds of runs.
        while rnd < rounds or (rnd < MOST_ROUNDS and
                               sum(r["seconds"] for runs in taken.values() for r in runs)
                               < EXTRA_ROUNDS_UNDER):
            for name, measure, limit, _ in (running if rnd % 2 == 0 else running[::-1]):
                taken[name].append(measure(size))
            rnd += 1
        active = []
        for c in running:
            name, _, limit, _ = c
            runs = taken[name]
            times = [r["seconds"] for r in runs]
            best = min(runs, key=lambda r: r["seconds"])
            point = {"size": size, **best, "seconds": min(times), "spread": max(times) / min(times),
                     "rounds": len(runs)}
            if any("peak_kib" in r for r in runs):
                point["peak_kib"] = max(r.get("peak_kib", 0) for r in runs)
            points[name].append(point)
            if point["seconds"] <= limit:
                active.append(c)
    return points


def pythons():
    """Each distinct Python 3 build: (label, path), the label naming the
    build and then its path."""
    return [(f"{info} ({path})", path) for info, path in hostinfo.python_builds()]


class Bench:
    def __init__(self, build, large):
        self.build = Path(build)
        self.large = large
        self.sizes = LARGE_SIZES if large else SIZES
        self.limit = LARGE_SLOW if large else SLOW

    def stage_times(self, form, stage, size, reps):
        return spawn([self.build / "bench/stage_times", form, stage, str(size), str(reps)])

    def uhigh(self, form):
        """measure(stage, size) for uhigh in that form (or GMP, form gmp)."""
        def measure(stage, size):
            probe, rss = self.stage_times(form, stage, size, 1)
            seconds = probe["seconds"]
            if seconds <= SLOW or (form == "default" and not self.large):
                again, rss2 = self.stage_times(form, stage, size, reps_for(seconds))
                seconds, rss = min(seconds, again["seconds"]), max(rss, rss2)
            return {"seconds": seconds, "form": probe["form"], "peak_kib": rss}
        return measure

    def floor(self, stage, fastest):
        points = []
        for measured in fastest:
            reps = 1 if measured["seconds"] > SLOW else reps_for(measured["seconds"])
            f, _ = spawn([self.build / "bench/floor", stage, str(measured["size"]), str(reps)])
            points.append({"size": measured["size"], "floor": f["floor"], "work": f["work"]})
        return points

    @staticmethod
    def python(path, setup):
        def measure(stage, size):
            out, rss = spawn([path, "-c", python_program(setup, stage, size, 3)])
            return {"seconds": out["seconds"], "peak_kib": rss}
        return measure

    @staticmethod
    def bc(stage, size):
        program = (f"f=1; for(k={size};k>0;k--) f*=k\n" if stage == "factorial"
                   else f"x=1; for(i=0;i<{size};i++) x+=x\n")
        start = time.perf_counter()
        _, rss = spawn(["bc", "-q"], stdin_text=program)  # its peak as watched
        return {"seconds": time.perf_counter() - start, "peak_kib": rss}

    def contenders(self, stage, builds):
        """(name, measure, limit, predict) of everyone that runs the stage."""
        at = lambda m: (lambda size: m(stage, size))
        out = [("uhigh_default", at(self.uhigh("default")), self.limit, False)]
        if not self.large:
            out += [("uhigh_word", at(self.uhigh("word")), SLOW, False),
                    ("uhigh_reference", at(self.uhigh("reference")), SLOW, False)]
        out.append(("gmp", at(self.uhigh("gmp")), self.limit, self.large))
        peer_limit = self.limit if self.large else PEER_SLOW
        for kind, setup in (("cpython", INT_SETUP), ("decimal", DECIMAL_SETUP)):
            for label, path in builds:
                out.append((f"{kind} {label}", at(self.python(path, setup)), peer_limit, self.large))
        if not self.large and shutil.which("bc"):
            out.append(("bc", at(self.bc), SLOW, False))
        return out


USAGE = "bench/compare.py [--large] [--stages NAME,...] [--sizes N,...] [--out PREFIX] BUILD_DIR"
STAGES = ("factorial", "power")
LIBRARY = ("mul", "div", "prime")


def main(argv):
    import argparse
    parser = argparse.ArgumentParser(prog="bench/compare.py", usage=USAGE,
                                     description=__doc__.split("\n\n")[0])
    parser.add_argument("build_dir", metavar="BUILD_DIR")
    parser.add_argument("--large", action="store_true")
    parser.add_argument("--stages", default="factorial,power")
    parser.add_argument("--sizes")
    parser.add_argument("--out", metavar="PREFIX")
    parser.add_argument("--rounds", type=int, default=3, help=argparse.SUPPRESS)
    args = parser.parse_args(argv)

    def refuse(why):
        print(f"usage: {USAGE}", file=sys.stderr)
        print(f"compare.py: {why}", file=sys.stderr)
        return 2
    stages = args.stages.split(",")
    unknown = [s for s in stages if s not in STAGES + LIBRARY]
    if unknown:
        return refuse(f"no stage {', '.join(unknown)}: the stages are {', '.join(STAGES + LIBRARY)}")
    try:
        sizes = [int(n) for n in args.sizes.split(",")] if args.sizes else None
    except ValueError:
        return refuse(f"--sizes takes whole numbers, not {args.sizes}")
    build = Path(args.build_dir)
    if not os.access(build / "bench" / "stage_times", os.X_OK):
        return refuse(f"{build / 'bench' / 'stage_times'} is missing: build {build} with GMP installed first")
    out = Path(args.out) if args.out else build / ("results-large" if args.large else "results")
    library = [s for s in stages if s in LIBRARY]
    if library:
        command = [sys.executable, str(Path(__file__).parent / "library_series.py"),
                   "--series", ",".join(library), "--out", f"{out}-library", str(build)]
        if sizes:
            command[3:3] = ["--sizes", ",".join(map(str, sizes))]
        status = subprocess.run(command).returncode
        if status != 0:
            return status
    own = [s for s in stages if s in STAGES]
    if not own:
        return 0
    if not decimal_is_exact():
        sys.exit("Python's decimal is not exact in the context set up for it")
    bench = Bench(build, args.large)
    if sizes:
        bench.sizes = {stage: sizes for stage in own}
    else:
        bench.sizes = {stage: bench.sizes[stage] for stage in own}
    # Every contender on the one CPU that other work was leaving alone: a
    # busy neighbour then slows them all alike, and the scheduler moves
    # unpinned work to the other CPUs, instead of each run landing wherever
    # it was woken.
    global PINNED
    PINNED = quietest_cpu()
    started = time.time()
    results = {"date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
               "machine": hostinfo.machine(), "build": hostinfo.compiler(build), "large": args.large,
               "memory": "peak resident memory of each process, whole process, no baseline taken off",
               "decimal_context": "prec=MAX_PREC, Emax=MAX_EMAX, Emin=MIN_EMIN (checked exact)",
               "stages": {}}
    builds = pythons()
    results["pythons"] = [label for label, _ in builds]
    results["method"] = (f"every contender at each size in turn, {args.rounds} rounds, the order "
                         "reversed every other round; fastest kept, spread = slowest / fastest"
                         + (f"; every run on CPU {PINNED}, the idlest when the run began"
                            if PINNED is not None else ""))
    for stage in bench.sizes:
        measured = interleaved(bench.sizes[stage], bench.contenders(stage, builds), args.rounds)
        fastest = measured.pop("uhigh_default")
        form = fastest[0]["form"]
        results["machine"]["kernel_form"] = form
        floors = bench.floor(stage, fastest)
        for point, floor in zip(fastest, floors):
            point.update(floor)
        entry = {"sizes": bench.sizes[stage], "uhigh_" + form: fastest, "floor": floors}
        entry.update(measured)
        results["stages"][stage] = entry
        print(f"{stage}: done after {time.time() - started:.0f} s", file=sys.stderr)
    results["seconds_to_measure"] = round(time.time() - started)
    out.parent.mkdir(parents=True, exist_ok=True)
    out.with_suffix(".json").write_text(json.dumps(results, indent=1) + "\n")
    print(report(results))
    try:
        plot(results, out)
    except ImportError:
        print(f"wrote {out.with_suffix('.json')}; the plot needs python3-matplotlib")
        return 0
    print(f"wrote {out.with_suffix('.json')} and {out.with_suffix('.png')}")
    return 0


# One colour and marker per contender, in every plot; a second Python build
# of a peer is dashed.
STYLES = {"uhigh": ("tab:blue", "o"), "floor": ("black", "."), "gmp": ("tab:green", "s"),
          "cpython": ("tab:purple", "v"), "decimal": ("tab:red", "^"), "bc": ("tab:gray", "x")}
FORM_COLOURS = {"word": "tab:cyan", "reference": "tab:brown"}


def plot(results, out):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    fig, axes = plt.subplots(1, len(results["stages"]), figsize=(6 * len(results["stages"]), 6.5),
                             squeeze=False)
    names = {"floor": "floor (same work as memory moves)", "gmp": "GMP (mpz_class)", "bc": "bc"}
    for ax, (stage, entry) in zip(axes[0], results["stages"].items()):
        seen_kinds = set()
        for name, points in entry.items():
            if name == "sizes" or not points:
                continue
            kind = name.split(" ")[0].split("_")[0]
            colour, marker = STYLES.get(kind, ("tab:olive", "d"))
            if name.startswith("uhigh_"):
                colour = FORM_COLOURS.get(name[6:], colour)
            key = "floor" if name == "floor" else "seconds"
            second = kind in ("cpython", "decimal") and kind in seen_kinds
            seen_kinds.add(kind)
            text = names.get(name, name.replace("uhigh_", "uhigh, ").split(" (")[0])
            ax.loglog([p["size"] for p in points], [p[key] for p in points],
                      "--" if name == "floor" or second else "-", marker=marker, color=colour,
                      label=text)
        ax.set_xlabel("n" if stage == "factorial" else "p")
        ax.set_ylabel("seconds per repetition (fastest of rounds)")
        ax.set_title("n! by multiplication" if stage == "factorial" else "2^p by doubling")
        ax.grid(True, which="both", alpha=0.3)
        # Below the axes, where it hides no point.
        ax.legend(fontsize=7, loc="upper center", bbox_to_anchor=(0.5, -0.13), ncol=2)
    m = results["machine"]
    fig.suptitle(f"uhigh-bench, {results['date']}: "
                 + hostinfo.title(m["cpu"], m.get("vector_width", "vector width not recorded"),
                                  m["kernel_form"], results["build"], results.get("pythons", [])),
                 fontsize=8)
    fig.tight_layout()
    fig.savefig(out.with_suffix(".png"), dpi=110)


def label(stage, size):
    return f"{size}!" if stage == "factorial" else f"2^{size}"


def fastest_of(entry, kind, size):
    """The fastest build's point of a Python peer (decimal, cpython) at a
    size, and that build's name; (None, None) when none ran there."""
    best = None
    for name, points in entry.items():
        if name.split(" ")[0] != kind:
            continue
        for p in points:
            if p["size"] == size and (best is None or p["seconds"] < best[0]["seconds"]):
                best = (p, name.split(" ", 1)[1])
    return best or (None, None)


def report(results):
    """The tables of the README and docs/benchmarking.md, as Markdown. A
    ratio carries ~ when it is within the spreads of its two sides."""
    m, b = results["machine"], results["build"]
    lines = [f"Host: {m['cpu']}, {m.get('vector_width', 'vector width not recorded')}, form "
             f"{m['kernel_form']}, {b['compiler']} {b['flags']}; {results['method']}.",
             "Python builds: " + "; ".join(results.get("pythons", [])) + ".", "",
             "| stage | size | seconds | spread | floor | stage / floor | ÷ decimal | ÷ GMP | "
             "peak memory | peak bytes per digit | decimal's peak bytes per digit |",
             "| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |"]
    form = "uhigh_" + results["machine"]["kernel_form"]
    for stage, entry in results["stages"].items():
        ratios = floor_ratios(entry[form], entry["floor"])
        gmp = {p["size"]: p for p in entry.get("gmp", [])}
        for p in entry[form]:
            dec, _ = fastest_of(entry, "decimal", p["size"])
            g = gmp.get(p["size"])
            vs_dec = ratio_text(p["seconds"] / dec["seconds"], p["spread"], dec["spread"]) if dec else "-"
            vs_gmp = ratio_text(p["seconds"] / g["seconds"], p["spread"], g["spread"]) if g else "-"
            mine = bytes_per_digit(p, stage)
            dm = bytes_per_digit(dec, stage) if dec else None
            lines.append(f"| {stage} | {label(stage, p['size'])} | {p['seconds']:.4f} | "
                         f"{p['spread']:.2f} | {p['floor']:.4f} | {ratios[p['size']]:.2f} | "
                         f"{vs_dec} | {vs_gmp} | {p['peak_kib'] / 1024:.1f} MiB | "
                         + (f"{mine:.2f} | " if mine else "n/a | ")
                         + (f"{dm:.2f} |" if dm else "n/a |"))
    lines += ["", "| stage | from | to | time ratio | work ratio | time / work |",
              "| --- | --- | --- | --- | --- | --- |"]
    for stage, entry in results["stages"].items():
        work = {p["size"]: p["work"] for p in entry["floor"]}
        sizes = [p["size"] for p in entry[form]]
        for a, b in zip(sizes, sizes[1:]):
            t, w, r = growth(entry[form], work, a, b)
            lines.append(f"| {stage} | {label(stage, a)} | {label(stage, b)} | {t:.1f} | {w:.1f} "
                         f"| {r:.2f} |")
    return "\n".join(lines)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
