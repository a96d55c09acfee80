"""The report tool end to end at small sizes: a real run of every contender
of three stages (sizes 0 and 10 included), its JSON and table, the plot
again from the saved run, and --compare of two runs both ways.

Usage: compare_small.py COMPARE_PY BUILD_DIR [--all]
  --all: the plot and the comparison must work (CI installs matplotlib,
  scipy and Google Benchmark's compare tool); without it, what needs a
  missing one of them is left out."""
import json
import subprocess
import sys
import tempfile
from pathlib import Path

tool, build = sys.argv[1], sys.argv[2]
everything = "--all" in sys.argv[3:]


def call(*args):
    done = subprocess.run([sys.executable, tool, *map(str, args)], capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"compare.py {' '.join(map(str, args))} failed:\n{done.stdout}\n{done.stderr}")
    return done.stdout


with tempfile.TemporaryDirectory() as folder:
    runs = []
    for name in ("a", "b"):
        prefix = Path(folder) / name
        out = call(build, "--stages", "power,div,prime", "--sizes", "0,10", "--rounds", "2",
                   "--min-time", "0.01", "--skip", "reference", "--out", prefix)
        runs.append(prefix.with_suffix(".json"))
    run = json.loads(runs[0].read_text())
    context = run["context"]
    for key in ("commit", "build_type", "kernel_form", "caches", "load_avg", "cpu", "compiler", "pythons"):
        assert key in context, f"the run's context has no {key}: {context}"
    names = {}
    for b in run["benchmarks"]:
        names.setdefault(b["name"], []).append(b["repetition_index"])
    stages = {n.split("/")[0] for n in names}
    assert stages == {"power", "div", "prime"}, stages
    for must in (f"power/{context['kernel_form']}/0", "power/floor/10", "power/gmp/10", "div/uhigh/10",
                 "div/gmp+text/0", "prime/uhigh/10", "prime/gmp+text/10"):
        assert sorted(names.get(must, [])) == [0, 1], f"{must}: rounds {names.get(must)}"
    assert not any("/reference/" in n for n in names), "--skip reference ran it"
    assert any("/decimal@" in n for n in names) and any("/int@" in n for n in names), names
    assert "power: seconds per repetition" in out and "| 10 |" in out, out

    table = call("--table", *runs)
    assert table.count("power: seconds per repetition") == 2 and "| power | decimal |" in table, table
    plotted = subprocess.run([sys.executable, tool, "--replot", runs[0]], capture_output=True, text=True)
    if everything:
        assert plotted.returncode == 0 and runs[0].with_suffix(".png").stat().st_size > 1000, plotted.stderr
    comparing = everything or Path("/usr/share/benchmark/compare.py").exists()
    for old, new in ((runs[0], runs[1]), (runs[1], runs[0])) if comparing else ():
        verdicts = [line for line in call("--compare", old, new).splitlines() if line.startswith("| power/")]
        assert len(verdicts) == len([n for n in names if n.startswith("power/")]), verdicts
print("compare_small: 1 passed, 0 failed")
