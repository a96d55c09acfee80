"""Do the report's ratios hold on a busy machine? Compares two runs of
bench/compare.py, one quiet and one with other work on the machine (for
instance `python3 -c 'while True: pass' &` on one core): for every contender
and size where both sides of a ratio took at least 10 ms in both runs, the
contender's time over uhigh's in each, and how far the busy run's ratio
strays from the quiet one's. Exit status 1 when any strays by more than
15 %.

Usage: python3 bench/load_check.py QUIET.json BUSY.json"""
import json
import sys

LEAST = 0.010  # seconds: shorter figures are timer and start-up noise
TOLERANCE = 0.15


def ratio_changes(quiet, busy, least=LEAST):
    """[(stage, size, contender, quiet ratio, busy ratio)] for every ratio
    to uhigh's fastest form whose sides all took at least `least`."""
    rows = []
    for stage, q_entry in quiet["stages"].items():
        b_entry = busy["stages"].get(stage, {})
        mine = "uhigh_" + quiet["machine"]["kernel_form"]
        if mine not in b_entry:
            continue
        q_mine = {p["size"]: p["seconds"] for p in q_entry[mine]}
        b_mine = {p["size"]: p["seconds"] for p in b_entry[mine]}
        for name, points in q_entry.items():
            if name in ("sizes", "floor", mine) or name not in b_entry:
                continue
            b_points = {p["size"]: p["seconds"] for p in b_entry[name]}
            for p in points:
                size = p["size"]
                sides = [p["seconds"], b_points.get(size), q_mine.get(size), b_mine.get(size)]
                if any(s is None or s < least for s in sides):
                    continue
                rows.append((stage, size, name, sides[0] / sides[2], sides[1] / sides[3]))
    return rows


def main(argv):
    if len(argv) != 2:
        print(__doc__.split("\n\n")[-1], file=sys.stderr)
        return 2
    quiet, busy = (json.load(open(path)) for path in argv)
    rows = ratio_changes(quiet, busy)
    if not rows:
        print("no ratio has both sides at 10 ms or more in both runs")
        return 2
    print("| stage | size | contender ÷ uhigh | quiet | busy | change |")
    print("| --- | --- | --- | --- | --- | --- |")
    worst = 0.0
    for stage, size, name, q, b in rows:
        change = b / q - 1
        worst = max(worst, abs(change))
        print(f"| {stage} | {size} | {name.split(' (')[0]} | {q:.3f} | {b:.3f} | {change * 100:+.1f} % |")
    print(f"\n{len(rows)} ratios; the largest change is {worst * 100:.1f} % "
          f"({'within' if worst <= TOLERANCE else 'beyond'} {TOLERANCE * 100:.0f} %)")
    return 0 if worst <= TOLERANCE else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
