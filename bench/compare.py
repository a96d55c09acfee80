#!/usr/bin/env python3
"""Measures uhigh and its peers side by side, turn by turn, and reports.

Stages: factorial and power (the program's timed work, on every kernel form
the CPU runs, beside the floor, GMP, Python's decimal and CPython's int on
the same loops) and mul, div and prime (the library: a * b, divmod(a, b),
2^P - 1 in full decimal). Every contender, the floor included, runs each
size in turn in a fresh process, round by round, the order reversed every
other round, all on the CPU other work left idlest. The C++ contenders are
Google Benchmark benchmarks (bench/contenders, bench/floor); the Python
peers write the same fields. A run is one JSON file in Google Benchmark's
schema, its context naming the host, caches, load, commit and build.

  bench/compare.py BUILD_DIR [options]     measure, save, print the tables, plot
  bench/compare.py --table RUN.json ...    the tables of saved runs, and the
                                           range of each ratio over them all
  bench/compare.py --replot RUN.json       the plot of a saved run again
  bench/compare.py --compare OLD.json NEW.json
                                           Google Benchmark's compare tool (a
                                           Mann-Whitney U test per benchmark),
                                           then one verdict a benchmark"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import peers
from report import over_hosts, plot, table

SIZES = {"factorial": [1000, 2000, 5000, 10000, 20000, 50000, 100000],
         "power": [10000, 30000, 100000, 300000, 1000000],
         "mul": [1000, 10000, 100000, 1000000], "div": [1000, 10000, 100000, 1000000],
         "prime": [82589933]}


def contenders(stage, forms, pythons):
    cpp = (forms + ["floor", "gmp"] if stage in ("factorial", "power")
           else ["uhigh", "gmp+text"] if stage == "prime" else ["uhigh", "gmp", "gmp+text"])
    # CPython's int makes its decimal text in quadratic time: the prime's
    # 24.9 million digits take it over five minutes a turn.
    kinds = ("decimal",) if stage == "prime" else ("decimal", "int")
    return cpp + [f"{kind}@{label}" for kind in kinds for label in pythons]


def chosen(who, only, skip):
    """Whether --only and --skip keep a contender, named whole or by its
    kind (decimal for decimal@3.11.7)."""
    names = {who, who.split("@")[0]}
    return (not only or names & only) and not names & skip


def quietest_cpu(sample=0.5):
    """The CPU of ours that other work left idlest over `sample` seconds."""
    def idle():
        lines = Path("/proc/stat").read_text().splitlines()
        return {int(f[0][3:]): int(f[4]) + int(f[5]) for f in map(str.split, lines)
                if f[0][3:].isdigit()}
    try:
        before = idle()
        time.sleep(sample)
        after = idle()
        return max(os.sched_getaffinity(0), key=lambda c: (after.get(c, 0) - before.get(c, 0), c))
    except (OSError, ValueError, IndexError, AttributeError):
        return None


def measure(args):
    build = Path(args.build)
    cpu = quietest_cpu()
    if cpu is not None:
        os.sched_setaffinity(0, {cpu})  # every process started from here runs there
    forms = subprocess.run([build / "bench" / "contenders", "--forms"], capture_output=True,
                           text=True, check=True).stdout.split()
    pythons = peers.pythons()
    context = {**peers.host(build), "kernel_form": forms[-1], "pinned_cpu": cpu,
               "rounds": args.rounds, "min_time": args.min_time,
               "pythons": {label: b for label, (_, b) in pythons.items()},
               "method": "every contender at each size in turn, the order reversed every other "
                         "round; a turn is one fresh process"}
    gbench_context = (f"--benchmark_context=commit={context['commit']},build_type="
                      f"{context['build_type']},kernel_form={forms[-1]}")
    plan = [(stage, size, [w for w in contenders(stage, forms, pythons) if chosen(w, args.only, args.skip)])
            for stage in args.stages for size in (args.sizes or SIZES[stage])]
    turns, done, entries, too_slow = sum(len(w) for *_, w in plan) * args.rounds, 0, [], set()
    started = time.monotonic()
    for stage, size, who in plan:
        who = [w for w in who if (stage, w) not in too_slow]
        fastest = {}
        for r in range(args.rounds):
            for w in (who if r % 2 == 0 else who[::-1]):
                if "@" in w:
                    kind, label = w.split("@")
                    command = peers.peer_command(pythons[label][0], stage, kind, size, args.min_time)
                else:
                    command = [build / "bench" / ("floor" if w == "floor" else "contenders"),
                               f"{stage}/{w}/{size}", "--benchmark_format=json",
                               f"--benchmark_min_time={args.min_time}", gbench_context]
                result = peers.run_json(command)
                done += 1
                if result is None:
                    sys.exit(f"compare.py: {stage}/{w}/{size} failed")
                if "benchmarks" in result:
                    context = {**result["context"], **context}
                    result = result["benchmarks"][0]
                entries.append({"name": f"{stage}/{w}/{size}", "run_name": f"{stage}/{w}/{size}",
                                "run_type": "iteration", "repetitions": args.rounds,
                                "repetition_index": r, "threads": 1, "time_unit": "s",
                                **{k: result[k] for k in ("iterations", "real_time", "cpu_time",
                                                          "peak_kib", "work") if k in result}})
                print(f"[{done}/{turns}, {time.monotonic() - started:.0f} s] round {r + 1} "
                      f"{stage}/{w}/{size}: {result['real_time']:.4g} s", file=sys.stderr)
                fastest[w] = min(fastest.get(w, result["real_time"]), result["real_time"])
        # A contender whose fastest round passed the limit runs no larger
        # size: the next would take several times as long.
        too_slow |= {(stage, w) for w, t in fastest.items() if t > args.limit}
    context.pop("executable", None)
    context["load_avg_end"] = list(os.getloadavg())
    context["seconds_to_measure"] = round(time.monotonic() - started)
    return {"context": context, "benchmarks": entries}


def compare(old, new, alpha):
    """Google Benchmark's compare tool on two runs, then per benchmark the
    median time's ratio (new over old) and a verdict: faster or slower when
    the U test's p is below alpha, else the same."""
    tool = "/usr/share/benchmark/compare.py"
    python = next((p for p in (sys.executable, "/usr/bin/python3") if subprocess.run(
        [p, "-c", "import scipy"], capture_output=True).returncode == 0), None)
    if not Path(tool).exists() or python is None:
        sys.exit("compare.py: --compare needs Google Benchmark's compare tool and scipy "
                 "(Debian: libbenchmark-tools, python3-scipy)")
    with tempfile.TemporaryDirectory() as folder:
        dump = Path(folder) / "diff.json"
        subprocess.run([python, tool, "-a", "--no-color", "--alpha", str(alpha), "-d", dump, "benchmarks",
                        old, new], check=True)
        report = json.loads(dump.read_text())
    old_t, new_t = ({k: statistics.median(v) for k, v in _times(p).items()} for p in (old, new))
    print(f"\n| benchmark | new over old (medians) | p | verdict at alpha {alpha} |\n|---|---|---|---|")
    for entry in report:
        name, p = entry["name"], entry["utest"].get("time_pvalue")
        if name not in old_t or name not in new_t:
            continue
        r = new_t[name] / old_t[name]
        verdict = ("too few rounds for a test" if p is None else
                   ("faster" if r < 1 else "slower") if p < alpha else "the same")
        print(f"| {name} | {r:.3f} | {'-' if p is None else f'{p:.4f}'} | {verdict} |")


def _times(path):
    times = {}
    for b in json.loads(Path(path).read_text())["benchmarks"]:
        if b.get("run_type") == "iteration":
            times.setdefault(b["name"], []).append(b["real_time"])
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog=__doc__.split("\n\n", 1)[1])
    parser.add_argument("build", nargs="?", help="a Release build with bench/contenders and bench/floor")
    parser.add_argument("--stages", default="factorial,power",
                        help="comma-separated, of factorial, power, mul, div, prime (default factorial,power)")
    parser.add_argument("--sizes", help="comma-separated sizes (0 or more) for every stage, instead of each one's own")
    parser.add_argument("--only", default="", help="comma-separated contenders or kinds to run, the rest skipped")
    parser.add_argument("--skip", default="", help="comma-separated contenders or kinds not to run (reference, decimal, ...)")
    parser.add_argument("--rounds", type=int, default=5,
                        help="turns each contender takes at each size (default 5; --compare's U test needs 4 or more)")
    parser.add_argument("--min-time", type=float, default=0.5,
                        help="seconds a turn repeats its work for, at least once (default 0.5)")
    parser.add_argument("--limit", type=float, default=5.0,
                        help="seconds per repetition past which a contender runs no larger size (default 5)")
    parser.add_argument("--out", help="PREFIX of the run's PREFIX.json and PREFIX.png (default BUILD_DIR/results)")
    parser.add_argument("--table", nargs="+", metavar="RUN", help="print the tables of saved runs; measure nothing")
    parser.add_argument("--replot", metavar="RUN", help="draw RUN's plot again, beside it; measure nothing")
    parser.add_argument("--compare", nargs=2, metavar=("OLD", "NEW"), help="compare two saved runs")
    parser.add_argument("--alpha", type=float, default=0.05, help="the significance level of --compare (default 0.05)")
    args = parser.parse_args()
    if args.table:
        runs = [json.loads(Path(p).read_text()) for p in args.table]
        print("\n\n".join(table(r) for r in runs) + "\n\nuhigh over each peer, every size:\n\n" + over_hosts(runs))
    elif args.replot:
        sys.exit(0 if plot(json.loads(Path(args.replot).read_text()), Path(args.replot).with_suffix(".png")) else 1)
    elif args.compare:
        compare(*args.compare, args.alpha)
    elif args.build:
        args.stages = args.stages.split(",")
        if not set(args.stages) <= set(SIZES):
            parser.error(f"--stages: of {', '.join(SIZES)}")
        args.sizes = [int(s) for s in args.sizes.split(",")] if args.sizes else None
        if args.sizes and min(args.sizes) < 0:
            parser.error("--sizes: 0 or more")
        args.only, args.skip = (set(filter(None, v.split(","))) for v in (args.only, args.skip))
        run = measure(args)
        prefix = Path(args.out or Path(args.build) / "results")
        prefix.with_suffix(".json").write_text(json.dumps(run, indent=1) + "\n")
        print(table(run))
        plot(run, prefix.with_suffix(".png"))
    else:
        parser.error("a build directory, --table, --replot or --compare")


if __name__ == "__main__":
    main()
