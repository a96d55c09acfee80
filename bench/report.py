"""A saved run of bench/compare.py as a reader sees it: each point's fastest
round and spread, uhigh's time over each peer's with a symmetric noise
mark, the Markdown tables, the range of each ratio over several hosts'
runs, and the plot."""
import math
import sys



def caches(context):
    """'L1d 48 KiB, L2 2 MiB' from a Google Benchmark context."""
    def size(b):
        return f"{b >> 20} MiB" if b >= 1 << 20 else f"{b >> 10} KiB"
    return ", ".join(f"L{c['level']}{'d' if c['type'] == 'Data' else ''} {size(c['size'])}"
                     for c in context.get("caches", []) if c["type"] != "Instruction" and c["level"] <= 2)


def points(run):
    """{(stage, contender, size): (fastest, spread)}: the fastest round and
    slowest / fastest, from the rounds, or from a run that kept only their
    min and max aggregates."""
    times = {}
    for b in run["benchmarks"]:
        if b.get("run_type") == "iteration" or b.get("aggregate_name") in ("min", "max"):
            times.setdefault(tuple(b["run_name"].split("/")), []).append(b["real_time"])
    return {(s, w, int(n)): (min(t), max(t) / min(t)) for (s, w, n), t in times.items()}


def ratio(a, b):
    """a's time over b's, and whether it is within the noise: |log ratio|
    at most the sum of the log spreads, so that b over a has the same
    verdict."""
    r = a[0] / b[0]
    return r, abs(math.log(r)) <= math.log(a[1]) + math.log(b[1])


def ratios(run):
    """{(stage, kind): [uhigh over the kind's fastest build, at each size]}:
    uhigh is the run's fastest kernel form in the stages, "uhigh" in the
    library; the Python peers' kind is decimal or int."""
    pts, found = points(run), {}
    for (stage, who, size), mine in sorted(pts.items()):
        me = run["context"]["kernel_form"] if stage in ("factorial", "power") else "uhigh"
        if who != me or mine[0] <= 0:
            continue
        for (s, w, n), theirs in pts.items():
            if (s, n) == (stage, size) and w != me and theirs[0] > 0:
                kind = w.split("@")[0]
                found.setdefault((stage, kind), {}).setdefault(size, []).append(ratio(mine, theirs))
    # Of several Python builds, the fastest: the largest ratio.
    return {k: [max(v, key=lambda r: r[0]) for _, v in sorted(by_size.items())]
            for k, by_size in found.items()}


def table(run):
    """A run's Markdown tables: seconds per repetition (spread), then uhigh
    over each peer (~ within the noise)."""
    c, pts = run["context"], points(run)
    lines = [f"{c.get('cpu')}, {caches(c)}, {c.get('vector')}, form {c.get('kernel_form')}, "
             f"{c.get('compiler')}, commit {c.get('commit')}, {c.get('date', '')[:16]}, "
             f"load {c.get('load_avg', ['?'])[0]}"]
    for stage in dict.fromkeys(s for s, _, _ in pts):
        who = list(dict.fromkeys(w for s, w, _ in pts if s == stage))
        me = c["kernel_form"] if stage in ("factorial", "power") else "uhigh"
        lines += ["", f"{stage}: seconds per repetition (spread)", "",
                  "| size | " + " | ".join(who) + " |", "|---" * (len(who) + 1) + "|"]
        for size in sorted({n for s, _, n in pts if s == stage}):
            cells = [f"{pts[stage, w, size][0]:.4g} ({pts[stage, w, size][1]:.2f})"
                     if (stage, w, size) in pts else "-" for w in who]
            lines.append(f"| {size} | " + " | ".join(cells) + " |")
        peers_here = [w for w in who if w != me]
        lines += ["", f"{stage}: {me} over each (below 1: {me} faster; ~ within the noise)", "",
                  "| size | " + " | ".join(peers_here) + " |", "|---" * (len(peers_here) + 1) + "|"]
        for size in sorted({n for s, _, n in pts if s == stage}):
            cells = []
            for w in peers_here:
                mine, theirs = pts.get((stage, me, size)), pts.get((stage, w, size))
                r = ratio(mine, theirs) if mine and theirs and theirs[0] > 0 else None
                cells.append(f"{r[0]:.2f}{'~' if r[1] else ''}" if r else "-")
            lines.append(f"| {size} | " + " | ".join(cells) + " |")
    return "\n".join(lines)


def over_hosts(runs):
    """The range of uhigh over each peer kind, per stage, on each run and
    over them all: what a claim true on every host may say."""
    per_run = [ratios(r) for r in runs]
    keys = sorted({k for p in per_run for k in p})
    lines = ["| stage | peer | " + " | ".join(f"{r['context'].get('cpu')} ({caches(r['context'])}), "
                                              f"{r['context'].get('date', '?')[:10]}" for r in runs)
             + " | all |", "|---" * (len(runs) + 3) + "|"]
    for key in keys:
        cells, everything = [], []
        for p in per_run:
            rs = [r for r, _ in p.get(key, [])]
            everything += rs
            cells.append(f"{min(rs):.2f} to {max(rs):.2f}" if rs else "-")
        lines.append(f"| {key[0]} | {key[1]} | " + " | ".join(cells) +
                     f" | {min(everything):.2f} to {max(everything):.2f} |")
    return "\n".join(lines)


def plot(run, path):
    try:
        import matplotlib
        matplotlib.use("Agg")
        import matplotlib.pyplot as plt
    except ImportError:
        print("compare.py: no matplotlib (Debian: python3-matplotlib), so no plot", file=sys.stderr)
        return False
    pts = points(run)
    stages = list(dict.fromkeys(s for s, _, _ in pts))
    figure, axes = plt.subplots(1, len(stages), figsize=(6 * len(stages), 5), squeeze=False)
    for ax, stage in zip(axes[0], stages):
        for who in dict.fromkeys(w for s, w, _ in pts if s == stage):
            xy = sorted((n, t) for (s, w, n), (t, _) in pts.items() if (s, w) == (stage, who) and n > 0)
            if xy:
                ax.loglog(*zip(*xy), marker="o", label=who)
        ax.set(title=stage, xlabel="size", ylabel="seconds per repetition")
        ax.grid(True, which="both", alpha=0.3)
        ax.legend(fontsize="small")
    c = run["context"]
    figure.suptitle(f"{c.get('cpu')}, {caches(c)}, form {c.get('kernel_form')}, commit {c.get('commit')}")
    figure.tight_layout()
    figure.savefig(path, dpi=80)
    return True
