"""Measures both stages over a range of sizes, for the fastest kernel form,
the word and reference forms, the floor of the prescribed work, GMP, CPython
and bc running the same loops; writes every figure to a JSON file and draws
a log-log plot of seconds per repetition.

Usage: python3 bench/compare.py BUILD_DIR [OUT_PREFIX]
  BUILD_DIR: a Release build with the benchmarks (bench/stage_times,
  bench/floor). OUT_PREFIX defaults to bench/results: bench/results.json
  and bench/results.png.

Each figure is the fastest of enough repetitions to fill half a second (at
least two for the fastest form and the floor; peers and slower forms run
once past SLOW seconds), so that noise from other work on the machine
inflates nothing. A series stops after its first size over SLOW seconds:
the next would take several times as long. The whole run takes about five
minutes here.
"""
import json
import os
import platform
import re
import subprocess
import sys
import time
from pathlib import Path

BUILD = Path(sys.argv[1])
OUT = Path(sys.argv[2] if len(sys.argv) > 2 else Path(__file__).parent / "results")
SLOW = 3.0
SIZES = {
    "factorial": [1000, 2000, 5000, 10000, 20000, 50000, 100000],
    "power": [10000, 30000, 100000, 300000, 1000000],
}


def reps_for(seconds):
    """Enough repetitions for half a second of them, at least two; the
    fastest counts."""
    return max(2, min(1000, int(0.5 / max(seconds, 1e-6))))


def run_json(args):
    out = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    return json.loads(out)


def uhigh_series(form, stage):
    points = []
    for size in SIZES[stage]:
        probe = run_json([BUILD / "bench/stage_times", form, stage, str(size), "1"])
        seconds = probe["seconds"]
        if seconds <= SLOW or form == "default":
            reps = reps_for(seconds)
            seconds = min(seconds, run_json([BUILD / "bench/stage_times", form, stage, str(size),
                                             str(reps)])["seconds"])
        points.append({"size": size, "seconds": seconds, "form": probe["form"]})
        if seconds > SLOW:
            break
    return points


def floor_series(stage, fastest):
    points = []
    for size, measured in zip(SIZES[stage], fastest):
        reps = reps_for(measured["seconds"])
        f = run_json([BUILD / "bench/floor", stage, str(size), str(reps)])
        points.append({"size": size, "floor": f["floor"], "work": f["work"]})
    return points


def timed(fn):
    best = None
    for _ in range(3):
        start = time.perf_counter()
        fn()
        took = time.perf_counter() - start
        best = took if best is None else min(best, took)
        if took > 1:
            break
    return best


def python_loop(stage, size):
    def factorial():
        f = 1
        for k in range(size, 0, -1):
            f *= k

    def power():
        x = 1
        for _ in range(size):
            x += x
    return timed(factorial if stage == "factorial" else power)


def bc_loop(stage, size):
    program = (f"f=1; for(k={size};k>0;k--) f*=k\n" if stage == "factorial"
               else f"x=1; for(i=0;i<{size};i++) x+=x\n")
    return timed(lambda: subprocess.run(["bc", "-q"], input=program, text=True,
                                        capture_output=True, check=True))


def peer_series(measure, stage):
    points = []
    for size in SIZES[stage]:
        seconds = measure(stage, size)
        points.append({"size": size, "seconds": seconds})
        if seconds > SLOW:
            break
    return points


def machine():
    info = Path("/proc/cpuinfo").read_text()
    caches = {}
    for index in sorted(Path("/sys/devices/system/cpu/cpu0/cache").glob("index*")):
        level = (index / "level").read_text().strip()
        kind = (index / "type").read_text().strip()
        caches[f"L{level} {kind}"] = (index / "size").read_text().strip()
    return {
        "cpu": re.search(r"model name\s*:\s*(.*)", info).group(1),
        "cores": os.cpu_count(),
        "clock_mhz": float(re.search(r"cpu MHz\s*:\s*([\d.]+)", info).group(1)),
        "caches": caches,
        "system": platform.platform(),
    }


def compiler():
    cache = (BUILD / "CMakeCache.txt").read_text()
    value = lambda key: re.search(rf"^{key}:\w+=(.*)$", cache, re.M).group(1)
    cxx = value("CMAKE_CXX_COMPILER")
    kind = value("CMAKE_BUILD_TYPE")
    return {
        "compiler": subprocess.run([cxx, "--version"], capture_output=True,
                                   text=True).stdout.splitlines()[0],
        "build_type": kind,
        "flags": (value("CMAKE_CXX_FLAGS") + " " + value(f"CMAKE_CXX_FLAGS_{kind.upper()}")).strip()
                 + " -std=c++20 (SIMD forms: their own -m flags)",
    }


def main():
    started = time.time()
    results = {"date": time.strftime("%Y-%m-%d %H:%M UTC", time.gmtime()),
               "machine": machine(), "build": compiler(), "stages": {}}
    for stage in SIZES:
        fastest = uhigh_series("default", stage)
        results["machine"]["kernel_form"] = fastest[0]["form"]
        floors = floor_series(stage, fastest)
        for point, floor in zip(fastest, floors):
            point.update(floor)
        results["stages"][stage] = {
            "sizes": SIZES[stage],
            "uhigh_" + fastest[0]["form"]: fastest,
            "uhigh_word": uhigh_series("word", stage),
            "uhigh_reference": uhigh_series("reference", stage),
            "floor": floors,
            "gmp": uhigh_series("gmp", stage),
            "cpython": peer_series(python_loop, stage),
            "bc": peer_series(bc_loop, stage),
        }
        print(f"{stage}: done after {time.time() - started:.0f} s", file=sys.stderr)
    results["seconds_to_measure"] = round(time.time() - started)
    OUT.with_suffix(".json").write_text(json.dumps(results, indent=1) + "\n")
    plot(results)
    report(results)


def plot(results):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    fig, axes = plt.subplots(1, 2, figsize=(12, 5))
    names = {"floor": "floor (same work as memory moves)", "gmp": "GMP (mpz_class)",
             "cpython": "CPython int", "bc": "bc"}
    for ax, (stage, series) in zip(axes, results["stages"].items()):
        for name, points in series.items():
            if name == "sizes":
                continue
            key = "floor" if name == "floor" else "seconds"
            label = names.get(name, name.replace("uhigh_", "uhigh, ").replace("_", " "))
            style = "--" if name == "floor" else "-"
            ax.loglog([p["size"] for p in points], [p[key] for p in points], style, marker="o",
                      label=label)
        ax.set_xlabel("n" if stage == "factorial" else "p")
        ax.set_ylabel("seconds per repetition")
        ax.set_title("n! by multiplication" if stage == "factorial" else "2^p by doubling")
        ax.grid(True, which="both", alpha=0.3)
        ax.legend(fontsize=8)
    m = results["machine"]
    fig.suptitle(f"uhigh-bench on {m['cpu']}, {m['cores']} cores, {results['date']}", fontsize=10)
    fig.tight_layout()
    fig.savefig(OUT.with_suffix(".png"), dpi=110)


def report(results):
    """The floor and growth ratios, as Markdown."""
    print("| stage | size | seconds | floor | stage / floor | work |")
    print("| --- | --- | --- | --- | --- | --- |")
    for stage, series in results["stages"].items():
        form = "uhigh_" + results["machine"]["kernel_form"]
        for p in series[form]:
            label = f"{p['size']}!" if stage == "factorial" else f"2^{p['size']}"
            print(f"| {stage} | {label} | {p['seconds']:.4f} | {p['floor']:.4f} | "
                  f"{p['seconds'] / p['floor']:.2f} | {p['work']:.3g} |")
    print()
    print("| stage | from | to | time ratio | work ratio | time / work |")
    print("| --- | --- | --- | --- | --- | --- |")
    pairs = {"factorial": [(5000, 20000), (20000, 100000)],
             "power": [(100000, 300000), (300000, 1000000)]}
    for stage, steps in pairs.items():
        form = "uhigh_" + results["machine"]["kernel_form"]
        by_size = {p["size"]: p for p in results["stages"][stage][form]}
        for a, b in steps:
            t = by_size[b]["seconds"] / by_size[a]["seconds"]
            w = by_size[b]["work"] / by_size[a]["work"]
            print(f"| {stage} | {a} | {b} | {t:.1f} | {w:.1f} | {t / w:.2f} |")


if __name__ == "__main__":
    main()
