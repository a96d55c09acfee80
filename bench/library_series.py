#!/usr/bin/env python3
"""The library's series: multiplication (n x n and n x n/10 digits),
division (n by n/2 digits, quotient and remainder) at 10^3 to 10^6, and the
showcase, 2^82,589,933 - 1 in full decimal; by uhigh, Python's decimal
(libmpdec, exact context), CPython's int and GMP (alone, and with
mpz_get_str for the decimal text).

usage: bench/library_series.py [--series mul,div,prime] [--sizes N,...]
                               [--exponent P] [--rounds R] [--cap S]
                               [--out PREFIX] BUILD_DIR

Every contender runs in a fresh process of its own, on the CPU that was
idlest when the run began, and the contenders take turns size by size and
round by round (the order reversed every other round), so a change in the
machine's load reaches all of them alike. Each keeps the fastest of its
rounds, and its spread (slowest / fastest) is recorded beside it. The Python peers run under every Python 3 build found
(the python3 on PATH and Debian's /usr/bin/python3); the ratios use the
fastest, which is named. A contender that passes the cap (seconds, default
300) in a round is recorded as over it and not run again at that point.

The showcase's digits are checked: uhigh's text and GMP's must have the
same SHA-256, or the run fails.

Writes PREFIX.json and, with matplotlib, PREFIX.png, and prints the tables
of docs/benchmarking.md; PREFIX defaults to BUILD_DIR/library-series. Pass
--out bench/results-library to update the tracked results. With --out,
--table prints PREFIX.json's tables again and --replot draws PREFIX.png
again; neither measures anything."""
import argparse
import hashlib
import json
import os
import platform
import subprocess
import sys
import tempfile

import compare
import hostinfo

PY_LOOP = r"""
import sys, time, random
op, kind, na, nb, reps = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
if hasattr(sys, "set_int_max_str_digits"):
    sys.set_int_max_str_digits(0)
if kind == "decimal":
    import decimal
    c = decimal.getcontext()
    c.prec, c.Emax, c.Emin = decimal.MAX_PREC, decimal.MAX_EMAX, decimal.MIN_EMIN
    make = decimal.Decimal
else:
    make = int
best = 1e300
if op == "prime":
    for _ in range(reps):
        t = time.perf_counter(); s = str(make(2) ** na - 1); best = min(best, time.perf_counter() - t)
else:
    random.seed(20261209)
    a = str(random.randint(1, 9)) + "".join(random.choice("0123456789") for _ in range(na - 1))
    b = str(random.randint(1, 9)) + "".join(random.choice("0123456789") for _ in range(nb - 1))
    x, y = make(a), make(b)
    for _ in range(reps):
        t = time.perf_counter()
        z = x * y if op == "mul" else divmod(x, y)
        best = min(best, time.perf_counter() - t)
print(best)
"""

USAGE = ("bench/library_series.py [--series mul,div,prime] [--sizes N,...] [--exponent P] "
         "[--rounds R] [--cap S] [--out PREFIX] BUILD_DIR")

# One colour and marker per contender, in every plot.
STYLES = {"uhigh": ("tab:blue", "o"), "gmp": ("tab:green", "s"), "gmp+text": ("tab:olive", "D"),
          "decimal": ("tab:red", "^"), "int": ("tab:purple", "v")}


def pythons():
    """Each distinct Python 3 build: (label, path), the label naming the
    path and then the build."""
    return [(f"{path} ({info})", path) for info, path in hostinfo.python_builds()]


def reps_for(digits):
    return 20 if digits <= 10000 else 5 if digits <= 100000 else 2


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0], usage=USAGE)
    parser.add_argument("build_dir")
    parser.add_argument("--series", default="mul,div,prime")
    parser.add_argument("--sizes", default="1000,10000,100000,1000000")
    parser.add_argument("--exponent", type=int, default=82589933)
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--cap", type=float, default=300)
    parser.add_argument("--out")
    parser.add_argument("--replot", action="store_true",
                        help="draw PREFIX.png again from PREFIX.json, measuring nothing")
    parser.add_argument("--table", action="store_true",
                        help="print PREFIX.json's tables as Markdown, measuring nothing")
    args = parser.parse_args()
    if args.replot or args.table:
        if not args.out:
            parser.error("--replot and --table need --out PREFIX")
        with open(args.out + ".json") as f:
            saved = json.load(f)
        if args.table:
            print(report(saved))
            return 0
        return draw(saved, args.out, [label for label in saved["host"]["pythons"]])
    tool = os.path.join(args.build_dir, "bench", "operation_times")
    if not os.access(tool, os.X_OK):
        parser.print_usage(sys.stderr)
        print(f"library_series.py: no {tool}: build the benchmarks first (GMP needed)", file=sys.stderr)
        return 2
    series = args.series.split(",")
    if not series or any(s not in ("mul", "div", "prime") for s in series):
        parser.print_usage(sys.stderr)
        print(f"library_series.py: --series takes mul, div and prime, not {args.series}", file=sys.stderr)
        return 2
    sizes = [int(s) for s in args.sizes.split(",")]
    out = args.out or os.path.join(args.build_dir, "library-series")
    builds = pythons()
    peers = [(f"{kind} {label}", (kind, path)) for kind in ("decimal", "int") for label, path in builds]
    # Every timed run on the CPU other work was leaving alone, as compare.py does.
    cpu = compare.quietest_cpu()

    def measure(op, name, how, na, nb):
        """Seconds, or None when the contender does not run here, or 'over' past the cap."""
        reps = 1 if op == "prime" else reps_for(na)
        if how is None:
            command = [tool, op, name] + ([str(na)] if op == "prime" else [str(na), str(nb)]) + [str(reps)]
        else:
            kind, path = how
            if op == "mul" and kind == "int" and na > 100000:
                return None  # CPython's multiplication past 10^5 digits takes minutes
            command = [path, "-c", PY_LOOP, op, kind, str(na), str(nb), str(reps)]
        try:
            run = subprocess.run(command, capture_output=True, text=True, timeout=args.cap,
                                 preexec_fn=compare.pinning(cpu))
        except subprocess.TimeoutExpired:
            return "over"
        if run.returncode != 0:
            raise SystemExit(f"library_series.py: {' '.join(command[:3])} failed: {run.stderr.strip()}")
        return json.loads(run.stdout)["seconds"] if how is None else float(run.stdout)

    def point(op, na, nb, contenders):
        times, over = {name: [] for name, _ in contenders}, set()
        for rnd in range(args.rounds):
            order = contenders if rnd % 2 == 0 else contenders[::-1]
            for name, how in order:
                if name in over:
                    continue
                t = measure(op, name, how, na, nb)
                if t == "over":
                    over.add(name)
                elif t is not None:
                    times[name].append(t)
        p = {"op": op, "a": na, "b": nb, "fastest": {}, "spread": {}, "over_cap": sorted(over)}
        for name, ts in times.items():
            if ts and name not in over:
                p["fastest"][name] = min(ts)
                p["spread"][name] = max(ts) / min(ts)
        decimals = {k: v for k, v in p["fastest"].items() if k.startswith("decimal")}
        if decimals:
            best = min(decimals, key=decimals.get)
            p["fastest_decimal"] = best
            p["uhigh_over_decimal"] = p["fastest"]["uhigh"] / decimals[best]
        if "gmp+text" in p["fastest"]:
            p["uhigh_over_gmp_text"] = p["fastest"]["uhigh"] / p["fastest"]["gmp+text"]
        shown = ", ".join(f"{k.split(' (')[0]} {v:.6f} s (spread {p['spread'][k]:.2f})"
                          for k, v in p["fastest"].items())
        capped = f"; over {args.cap:.0f} s: {', '.join(x.split(' (')[0] for x in sorted(over))}" if over else ""
        ratios = "".join(f"; {key} {p[key]:.2f}" for key in ("uhigh_over_decimal", "uhigh_over_gmp_text")
                         if key in p)
        what = f"2^{na} - 1" if op == "prime" else f"{op} {na} x {nb}" if op == "mul" else f"div {na} / {nb}"
        print(f"{what}: {shown}{capped}{ratios}", flush=True)
        return p

    points = []
    for op in series:
        if op == "prime":
            contenders = [("uhigh", None), ("gmp+text", None)] + peers
            points.append(point("prime", args.exponent, 0, contenders))
            continue
        contenders = [("uhigh", None), ("gmp", None), ("gmp+text", None)] + peers
        for n in sizes:
            for nb in ((n, n // 10) if op == "mul" else (n // 2,)):
                points.append(point(op, n, max(nb, 1), contenders))

    check = None
    if "prime" in series:
        with tempfile.TemporaryDirectory() as work:
            digests = {}
            for who in ("uhigh", "gmp"):
                path = os.path.join(work, who)
                subprocess.run([tool, "prime-text", who, str(args.exponent), path], check=True)
                with open(path, "rb") as f:
                    digests[who] = hashlib.sha256(f.read()).hexdigest()
        check = {"sha256_uhigh": digests["uhigh"], "sha256_gmp": digests["gmp"],
                 "equal": digests["uhigh"] == digests["gmp"]}
        print(f"2^{args.exponent} - 1: SHA-256 of uhigh's text {digests['uhigh']}, "
              f"of GMP's {digests['gmp']}: {'equal' if check['equal'] else 'DIFFERENT'}")

    host = hostinfo.machine()
    forms = subprocess.run([os.path.join(args.build_dir, "tests", "uhigh_tests"), "--list-forms"],
                           capture_output=True, text=True).stdout.split()
    result = {"host": {"cpu": host["cpu"], "vector_width": host["vector_width"],
                       "machine": platform.machine(), "uhigh_form": forms[-1:],
                       "build": hostinfo.compiler(args.build_dir),
                       "pythons": [label for label, _ in builds]},
              "method": f"fastest of {args.rounds} interleaved rounds, each in a fresh process"
                        + (f" on CPU {cpu}, the idlest when the run began" if cpu is not None else "")
                        + f"; cap {args.cap:.0f} s a run",
              "points": points, "showcase_check": check}
    with open(out + ".json", "w") as f:
        json.dump(result, f, indent=1)
    if check is not None and not check["equal"]:
        print("library_series.py: the showcase's digits differ from GMP's", file=sys.stderr)
        return 1
    print("\n" + report(result) + "\n")
    return draw(result, out, [label for label, _ in builds])


def build_name(name):
    """'decimal /usr/bin/python3 (3.11.2 GCC 12.2.0 2.5.1)' -> '3.11.2 GCC 12.2.0'."""
    return " ".join(name.split(" (", 1)[1].rstrip(")").split(" ")[:3])


def report(result):
    """The tables of docs/benchmarking.md, as Markdown, so that the docs'
    figures come from the JSON and nowhere else. A ratio carries ~ when it
    lies within the spreads of its two sides."""
    def g(x):
        return f"{x:.3g}"

    lines = ["| operation | digits | uhigh | spread | `decimal` | spread | GMP | GMP with text | "
             "uhigh ÷ `decimal` | uhigh ÷ (GMP with text) |",
             "| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |"]
    showcase = None
    for p in result["points"]:
        if p["op"] == "prime":
            showcase = p
            continue
        t, s = p["fastest"], p["spread"]
        dec = p.get("fastest_decimal")
        digits = f"{p['a']} x {p['b']}" if p["op"] == "mul" else f"{p['a']} / {p['b']}"
        cells = [{"mul": "a * b", "div": "divmod"}[p["op"]], digits, g(t["uhigh"]), f"{s['uhigh']:.2f}"]
        cells += [g(t[dec]), f"{s[dec]:.2f}"] if dec else ["-", "-"]
        cells += [g(t[k]) if k in t else "-" for k in ("gmp", "gmp+text")]
        cells.append(compare.ratio_text(t["uhigh"] / t[dec], s["uhigh"], s[dec]) if dec else "-")
        cells.append(compare.ratio_text(t["uhigh"] / t["gmp+text"], s["uhigh"], s["gmp+text"])
                     if "gmp+text" in t else "-")
        lines.append("| " + " | ".join(cells) + " |")
    if showcase is None:
        return "\n".join(lines)
    label = {"uhigh": "uhigh (`pow`, then the text)",
             "gmp+text": "GMP (`mpz_ui_pow_ui`, then `mpz_get_str`)"}
    lines += ["", f"The showcase, 2^{showcase['a']} - 1 in full decimal:", "",
              "| contender | seconds | spread |", "| --- | --- | --- |"]
    def shown(name):
        kind = "Python `decimal`, " if name.startswith("decimal") else "CPython `int` and `str()`, "
        return label.get(name) or kind + build_name(name)

    for name, t in sorted(showcase["fastest"].items(), key=lambda kv: kv[1]):
        lines.append(f"| {shown(name)} | {t:.3f} | {showcase['spread'][name]:.2f} |")
    for name in showcase["over_cap"]:
        lines.append(f"| {shown(name)} | over the cap | - |")
    return "\n".join(lines)


def draw(result, out, build_labels):
    points, series = result["points"], sorted({p["op"] for p in result["points"]})
    cpu, forms = result["host"]["cpu"], result["host"]["uhigh_form"]
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print(f"wrote {out}.json; the plot needs python3-matplotlib")
        return 0
    panels = [(op, ratio) for op, ratio in (("mul", 1), ("mul", 10), ("div", 2)) if op in series]
    if not panels:
        print(f"wrote {out}.json (the showcase has no plot: its figures are in the table)")
        return 0
    fig, axes = plt.subplots(1, len(panels), figsize=(5.5 * len(panels), 5.8), squeeze=False)
    for ax, (op, ratio) in zip(axes[0], panels):
        chosen = [p for p in points if p["op"] == op and p["b"] * ratio == p["a"]]
        names = ["uhigh", "gmp", "gmp+text"] + sorted({k for p in chosen for k in p["fastest"]
                                                       if k.split(" ")[0] in ("decimal", "int")})
        for name in names:
            xs = [p["a"] for p in chosen if name in p["fastest"]]
            ys = [p["fastest"][name] for p in chosen if name in p["fastest"]]
            if not xs:
                continue
            kind = name.split(" ")[0]
            colour, marker = STYLES[kind]
            # Debian's Python, where it is a second build, dashed.
            dashed = "/usr/bin/python3 " in name and len(build_labels) > 1
            ax.loglog(xs, ys, marker=marker, color=colour, linestyle="--" if dashed else "-",
                      label=name.split(" (")[0] + (" (Debian's)" if dashed else ""))
        ax.set_title({("mul", 1): "a * b, n x n digits", ("mul", 10): "a * b, n x n/10 digits",
                      ("div", 2): "divmod, n by n/2 digits"}[(op, ratio)])
        ax.set_xlabel("n (digits)")
        ax.set_ylabel("seconds (fastest of rounds)")
        ax.grid(True, which="both", alpha=0.3)
        # Below the axes, where it hides no point.
        ax.legend(fontsize=7, loc="upper center", bbox_to_anchor=(0.5, -0.14), ncol=2)
    host = result["host"]
    if "build" in host:
        fig.suptitle("uhigh against its peers: " + hostinfo.title(
            cpu, host["vector_width"], "".join(forms[-1:]), host["build"],
            [p.split(" (", 1)[1].rstrip(")") for p in host["pythons"]]), fontsize=8)
    else:  # recorded before the build was
        fig.suptitle(f"uhigh against its peers; {cpu}, form {''.join(forms[-1:])}", fontsize=9)
    fig.tight_layout()
    fig.savefig(out + ".png", dpi=90)
    print(f"wrote {out}.json and {out}.png")
    return 0


if __name__ == "__main__":
    sys.exit(main())
