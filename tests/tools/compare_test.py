"""The report tool's own logic (bench/compare.py, report.py, peers.py) on
made-up runs, where the right answer is known.

Usage: compare_test.py BENCH_DIR"""
import contextlib
import io
import json
import math
import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, sys.argv.pop(1))
import compare  # noqa: E402
import peers  # noqa: E402
import report  # noqa: E402


def entry(name, seconds, round_index=0, **extra):
    return {"name": name, "run_name": name, "run_type": "iteration", "repetition_index": round_index,
            "real_time": seconds, "cpu_time": seconds, "time_unit": "s", "iterations": 1, **extra}


def run_of(times, cpu="CPU A", form="avx512"):
    """A run: {name: [seconds of each round]}."""
    return {"context": {"cpu": cpu, "kernel_form": form, "caches": [
                {"type": "Data", "level": 1, "size": 49152}, {"type": "Unified", "level": 2, "size": 2 << 20}]},
            "benchmarks": [entry(n, t, i) for n, ts in times.items() for i, t in enumerate(ts)]}


class Report(unittest.TestCase):
    def test_noise_marks_are_the_same_both_ways_and_a_large_lead_is_never_noise(self):
        a, b = (1.0, 1.1), (9.0, 1.2)
        (ab, ab_noise), (ba, ba_noise) = report.ratio(a, b), report.ratio(b, a)
        self.assertAlmostEqual(ab * ba, 1.0)
        self.assertEqual(ab_noise, ba_noise)
        self.assertFalse(ab_noise)  # a 9x lead, spreads of 10 and 20 %
        self.assertTrue(report.ratio((1.0, 1.1), (1.15, 1.1))[1])
        self.assertTrue(report.ratio((1.15, 1.1), (1.0, 1.1))[1])

    def test_a_point_is_the_fastest_round_and_its_spread_also_from_kept_aggregates(self):
        run = run_of({"power/avx512/10": [2.0, 1.0, 1.5]})
        run["benchmarks"] += [dict(entry("power/gmp/10", 0.5), run_type="aggregate", aggregate_name="min"),
                              dict(entry("power/gmp/10", 0.6), run_type="aggregate", aggregate_name="max"),
                              dict(entry("power/gmp/10", 9.0), run_type="aggregate", aggregate_name="mean")]
        points = report.points(run)
        self.assertEqual(points["power", "avx512", 10], (1.0, 2.0))
        self.assertEqual(points["power", "gmp", 10][0], 0.5)
        self.assertAlmostEqual(points["power", "gmp", 10][1], 1.2)

    def test_ratios_take_the_faster_python_build_and_range_over_hosts(self):
        first = run_of({"factorial/avx512/0": [1.0], "factorial/decimal@3.11.7/0": [2.0],
                        "factorial/decimal@3.11.2/0": [4.0], "factorial/avx512/5": [1.0],
                        "factorial/decimal@3.11.7/5": [0.5], "factorial/gmp/5": [0.1]})
        second = run_of({"factorial/word/0": [3.0], "factorial/decimal@3.12.1/0": [1.0]},
                        cpu="CPU B", form="word")
        ratios = report.ratios(first)
        self.assertEqual([r for r, _ in ratios["factorial", "decimal"]], [0.5, 2.0])
        self.assertEqual([r for r, _ in ratios["factorial", "gmp"]], [10.0])
        text = report.over_hosts([first, second])
        row = next(line for line in text.splitlines() if "| decimal |" in line)
        self.assertEqual(row, "| factorial | decimal | 0.50 to 2.00 | 3.00 to 3.00 | 0.50 to 3.00 |")
        gmp = next(line for line in text.splitlines() if "| gmp |" in line)
        self.assertIn("| 10.00 to 10.00 | - |", gmp)  # the second host has no GMP

    def test_the_table_names_the_host_and_marks_missing_cells(self):
        run = run_of({"power/avx512/0": [1e-7, 1.1e-7], "power/avx512/100": [2e-6],
                      "power/gmp/100": [1e-6]})
        text = report.table(run)
        self.assertTrue(text.startswith("CPU A, L1d 48 KiB, L2 2 MiB,"), text)
        self.assertIn("| 0 | 1e-07 (1.10) | - |", text)
        self.assertIn("| 100 | 2.00 |", text)  # avx512 over gmp

    def test_only_and_skip_take_names_and_kinds(self):
        self.assertTrue(compare.chosen("decimal@3.11.7", {"decimal"}, set()))
        self.assertFalse(compare.chosen("int@3.11.7", {"decimal"}, set()))
        self.assertFalse(compare.chosen("reference", set(), {"reference"}))
        self.assertTrue(compare.chosen("avx512", set(), {"reference", "decimal"}))

    def test_each_stage_has_its_own_contenders(self):
        pythons = {"3.11.7": ("python3", "build")}
        self.assertEqual(compare.contenders("power", ["word", "avx2"], pythons),
                         ["word", "avx2", "floor", "gmp", "decimal@3.11.7", "int@3.11.7"])
        self.assertEqual(compare.contenders("prime", ["word"], {})[:2], ["uhigh", "gmp+text"])

    def test_the_quietest_cpu_is_one_this_process_may_use(self):
        self.assertIn(compare.quietest_cpu(0.05), os.sched_getaffinity(0))


class Peers(unittest.TestCase):
    def result(self, stage, kind, size):
        return subprocess.run(peers.peer_command(sys.executable, stage, kind, size, -1),
                              capture_output=True, text=True, check=True).stdout.strip()

    def test_decimal_keeps_every_digit(self):
        # A decimal context of 28 digits would round these and look fast.
        import math as m
        self.assertEqual(int(self.result("factorial", "decimal", 1500)), m.factorial(1500))
        self.assertEqual(int(self.result("power", "decimal", 9000)), 2 ** 9000)
        self.assertEqual(int(self.result("prime", "int", 521)), 2 ** 521 - 1)

    def test_a_turn_reports_the_fields_google_benchmark_does(self):
        out = json.loads(subprocess.run(peers.peer_command(sys.executable, "mul", "int", 0, 0.01),
                                        capture_output=True, text=True, check=True).stdout)
        self.assertGreaterEqual(out["iterations"], 1)
        self.assertGreater(out["real_time"], 0)
        self.assertGreater(out["peak_kib"], 0)


@unittest.skipUnless(Path("/usr/share/benchmark/compare.py").exists(), "no libbenchmark-tools")
class Compare(unittest.TestCase):
    def test_swapped_runs_give_inverse_ratios_and_mirrored_verdicts(self):
        slow = run_of({"power/avx512/10": [1.00, 1.02, 1.01, 1.03, 1.04],
                       "power/gmp/10": [1.0, 1.1, 0.9, 1.05, 0.95]})
        fast = run_of({"power/avx512/10": [0.50, 0.52, 0.51, 0.53, 0.54],
                       "power/gmp/10": [1.02, 0.92, 1.08, 0.97, 1.01]})
        rows = {}
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for name, run in (("slow", slow), ("fast", fast)):
                paths.append(Path(folder) / f"{name}.json")
                paths[-1].write_text(json.dumps(run))
            for order in (paths, paths[::-1]):
                out = io.StringIO()
                with contextlib.redirect_stdout(out):
                    try:
                        compare.compare(*order, 0.05)
                    except SystemExit as e:
                        self.skipTest(str(e))
                rows[order[0].stem] = {line.split(" | ")[0][2:]: line.split(" | ")[1:]
                                       for line in out.getvalue().splitlines() if line.startswith("| power/")}
        forward, backward = rows["slow"], rows["fast"]
        self.assertEqual(forward["power/avx512/10"][2], "faster |")
        self.assertEqual(backward["power/avx512/10"][2], "slower |")
        self.assertAlmostEqual(float(forward["power/avx512/10"][0]) * float(backward["power/avx512/10"][0]),
                               1.0, places=2)
        self.assertEqual(forward["power/gmp/10"][2], "the same |")
        self.assertEqual(backward["power/gmp/10"][2], "the same |")
        self.assertEqual(forward["power/avx512/10"][1], backward["power/avx512/10"][1])  # one p


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
