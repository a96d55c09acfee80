"""The pure logic of bench/compare.py, where a fault would mislead a reader
of the report: which points a series keeps, which floor a stage is divided
by, the growth ratios, the digit counts behind bytes per digit, and the
check that Python's decimal really is exact before it is timed.

Usage: compare_test.py PATH/TO/bench"""
import math
import sys
import unittest

sys.path.insert(0, sys.argv.pop(1))
import compare  # noqa: E402
import library_series  # noqa: E402
import load_check  # noqa: E402


class LoadCheck(unittest.TestCase):
    def test_ratios_set_the_busy_run_against_the_quiet_one_where_both_sides_are_long(self):
        def run(uhigh, gmp, short):
            return {"machine": {"kernel_form": "avx2"}, "stages": {"power": {
                "sizes": [1, 2], "floor": [{"size": 1, "floor": 9.0}],
                "uhigh_avx2": [{"size": 1, "seconds": uhigh}, {"size": 2, "seconds": 1.0}],
                "gmp": [{"size": 1, "seconds": gmp}, {"size": 2, "seconds": short}]}}}
        rows = load_check.ratio_changes(run(0.5, 0.25, 0.004), run(1.0, 0.6, 0.5))
        # Size 2 drops out: GMP's quiet figure is under 10 ms. The floor is
        # not a contender.
        self.assertEqual(rows, [("power", 1, "gmp", 0.5, 0.6)])

    def test_the_verdict_is_the_largest_change_against_fifteen_percent(self):
        import contextlib
        import io
        import json
        import os
        import tempfile

        def run(gmp):
            return {"machine": {"kernel_form": "word"}, "stages": {"factorial": {
                "uhigh_word": [{"size": 9, "seconds": 1.0}, {"size": 10, "seconds": 1.0}],
                "gmp": [{"size": 9, "seconds": 1.0}, {"size": 10, "seconds": gmp}]}}}
        with tempfile.TemporaryDirectory() as d:
            quiet, busy = os.path.join(d, "quiet.json"), os.path.join(d, "busy.json")
            json.dump(run(1.0), open(quiet, "w"))
            statuses = []
            for gmp in (1.14, 0.80):  # 14 % up, then 20 % down
                json.dump(run(gmp), open(busy, "w"))
                with contextlib.redirect_stdout(io.StringIO()):
                    statuses.append(load_check.main([quiet, busy]))
            self.assertEqual(statuses, [0, 1])


class Report(unittest.TestCase):
    def test_contenders_take_turns_and_keep_their_fastest_round(self):
        order, times = [], {("a", 1): [3, 1, 2], ("b", 1): [5, 5, 5], ("a", 2): [9, 9, 9],
                            ("b", 2): [1, 1, 1]}
        def measure(name):
            return lambda size: (order.append((name, size)) or
                                 {"seconds": times[(name, size)][sum(1 for o in order if o == (name, size)) - 1]})
        points = compare.interleaved([1, 2], [("a", measure("a"), 4.0, False),
                                              ("b", measure("b"), 10.0, False)], rounds=3)
        # Round by round, the order reversed every other round.
        self.assertEqual(order[:6], [("a", 1), ("b", 1), ("b", 1), ("a", 1), ("a", 1), ("b", 1)])
        self.assertEqual(points["a"][0]["seconds"], 1)
        self.assertEqual(points["a"][0]["spread"], 3)
        # a passes its limit at size 2, yet that point still gets every
        # round; then a goes no further.
        self.assertEqual(points["a"][1]["rounds"], 3)
        self.assertEqual([p["size"] for p in points["a"]], [1, 2])
        self.assertEqual([p["size"] for p in points["b"]], [1, 2])

    def test_cheap_sizes_get_more_rounds(self):
        points = compare.interleaved([1], [("a", lambda s: {"seconds": 0.5}, 9.0, False)], 3)
        self.assertEqual(points["a"][0]["rounds"], 7)  # 3.5 s of runs, under the 5 s bound

    def test_a_predicted_slow_size_is_not_started(self):
        # 2 s at size 10 makes size 30 about 18 s: past a limit of 10.
        points = compare.interleaved([10, 30], [("a", lambda s: {"seconds": 2.0}, 10.0, True)], 1)
        self.assertEqual([p["size"] for p in points["a"]], [10])

    def test_a_ratio_within_its_spreads_is_marked_as_no_difference(self):
        self.assertEqual(compare.ratio_text(1.05, 1.04, 1.03), "1.05~")
        self.assertEqual(compare.ratio_text(1.20, 1.04, 1.03), "1.20")
        self.assertEqual(compare.ratio_text(0.90, 1.01, 1.02), "0.90")

    def test_each_stage_is_divided_by_the_floor_of_its_own_size(self):
        stage = [{"size": 10, "seconds": 2.0}, {"size": 20, "seconds": 9.0},
                 {"size": 30, "seconds": 1.0}]
        floors = [{"size": 20, "floor": 3.0}, {"size": 10, "floor": 1.0}]
        self.assertEqual(compare.floor_ratios(stage, floors), {10: 2.0, 20: 3.0})

    def test_growth_sets_time_against_work(self):
        points = [{"size": 5, "seconds": 1.0}, {"size": 20, "seconds": 18.0}]
        t, w, r = compare.growth(points, {5: 10, 20: 200}, 5, 20)
        self.assertEqual((t, w), (18.0, 20.0))
        self.assertAlmostEqual(r, 0.9)

    def test_result_digits_match_the_numbers(self):
        for n in [0, 1, 5, 24, 25, 99, 100, 1000, 1500]:
            self.assertEqual(compare.result_digits("factorial", n), len(str(math.factorial(n))), n)
        for p in [0, 1, 3, 4, 9, 10, 100, 1000, 12345]:
            self.assertEqual(compare.result_digits("power", p), len(str(2 ** p)), p)

    def test_bytes_per_digit_is_the_whole_peak_and_never_below_zero(self):
        # 1000! has 2568 digits; no baseline from another process is taken
        # off, so a figure can never be negative, and a missing peak is none.
        point = {"size": 1000, "peak_kib": 3010, "baseline_kib": 3100}
        self.assertAlmostEqual(compare.bytes_per_digit(point, "factorial"), 3010 * 1024 / 2568)
        self.assertIsNone(compare.bytes_per_digit({"size": 1000, "peak_kib": 0}, "factorial"))

    def test_the_table_names_the_host_and_compares_with_the_fastest_decimal_build(self):
        point = lambda size, seconds: {"size": size, "seconds": seconds, "spread": 1.01,
                                       "peak_kib": 4096}
        results = {
            "machine": {"cpu": "Some CPU", "vector_width": "256-bit registers (AVX2)",
                        "kernel_form": "avx2"},
            "build": {"compiler": "g++ 12", "flags": "-O3"}, "method": "turns",
            "pythons": ["3.11.7 (a)", "3.11.2 (b)"],
            "stages": {"power": {
                "uhigh_avx2": [dict(point(1000, 2.0), floor=1.0, work=1)],
                "floor": [{"size": 1000, "floor": 1.0, "work": 1}],
                "gmp": [point(1000, 1.0)],
                "decimal 3.11.7 (a)": [point(1000, 8.0)], "decimal 3.11.2 (b)": [point(1000, 4.0)]}}}
        lines = compare.report(results).splitlines()
        for part in ("Some CPU", "256-bit registers (AVX2)", "form avx2", "g++ 12 -O3", "turns"):
            self.assertIn(part, lines[0])
        self.assertIn("3.11.7 (a); 3.11.2 (b)", lines[1])
        row = next(line for line in lines if line.startswith("| power | 2^1000 |"))
        cells = [c.strip() for c in row.split("|")]
        self.assertEqual(cells[7:9], ["0.50", "2.00"])  # against decimal's faster build, and GMP

    def test_runs_are_pinned_to_the_allowed_cpu_that_idled_longest(self):
        stat = lambda idle1, wait1: ("cpu  9 9 9 9 9 0 0 0 0 0\n"
                                     "cpu0 5 0 5 100 2 0 0 0 0 0\n"
                                     f"cpu1 5 0 5 {idle1} {wait1} 0 0 0 0 0\nintr 77\n")
        before = compare.cpu_idle_times(stat(100, 2))
        self.assertEqual(before, {0: 102, 1: 102})  # the all-CPU line is not a CPU
        after = {0: 150, 1: 140}
        self.assertEqual(compare.idlest(before, after, {0, 1}), 0)
        self.assertEqual(compare.idlest(before, after, {1}), 1)  # only where it may run
        self.assertEqual(compare.idlest(before, {0: 150, 1: 150}, {0, 1}), 1)
        self.assertIsNone(compare.idlest(before, after, {5}))

    def test_spawned_runs_stay_on_the_pinned_cpu_and_this_process_does_not(self):
        import os
        mine = os.sched_getaffinity(0)
        compare.PINNED = max(mine)
        try:
            out, _ = compare.spawn([sys.executable, "-c", "import json, os; "
                                    "print(json.dumps({'cpus': sorted(os.sched_getaffinity(0))}))"])
        finally:
            compare.PINNED = None
        self.assertEqual(out["cpus"], [max(mine)])
        self.assertEqual(os.sched_getaffinity(0), mine)

    def test_decimal_is_timed_only_in_an_exact_context(self):
        self.assertTrue(compare.decimal_is_exact())
        rounding = "import decimal\none = decimal.Decimal(1)\n"  # 28 digits
        self.assertFalse(compare.decimal_is_exact(rounding))


class LibraryTable(unittest.TestCase):
    def test_rows_come_from_the_json_with_the_fastest_decimal_and_the_capped_named(self):
        slow = "decimal /a/python3 (3.11.7 GCC 12.2.0 2.5.1)"
        fast = "decimal /b/python3 (3.11.2 GCC 12.2.0 2.5.1)"
        result = {"points": [
            {"op": "div", "a": 1000, "b": 500, "over_cap": [], "fastest_decimal": fast,
             "fastest": {"uhigh": 2.0, "gmp": 0.5, "gmp+text": 1.0, slow: 9.0, fast: 4.0},
             "spread": {"uhigh": 1.01, "gmp": 1.0, "gmp+text": 1.01, slow: 1.0, fast: 1.02}},
            {"op": "mul", "a": 100, "b": 10, "over_cap": [slow, fast],
             "fastest": {"uhigh": 3.0, "gmp": 1.5}, "spread": {"uhigh": 1.0, "gmp": 1.0}},
            {"op": "prime", "a": 127, "b": 0, "over_cap": ["int /a/python3 (3.11.7 GCC 12.2.0 2.5.1)"],
             "fastest": {"uhigh": 2.0, "gmp+text": 1.0}, "spread": {"uhigh": 1.5, "gmp+text": 1.2}}]}
        lines = library_series.report(result).splitlines()
        cells = [c.strip() for c in lines[2].split("|")][1:-1]
        self.assertEqual(cells, ["divmod", "1000 / 500", "2", "1.01", "4", "1.02", "0.5", "1",
                                 "0.50", "2.00"])
        # A point where decimal was over the cap and GMP's text not run
        # leaves those cells empty instead of failing the whole table.
        self.assertEqual(lines[3], "| a * b | 100 x 10 | 3 | 1.00 | - | - | 1.5 | - | - | - |")
        # The showcase lists the fastest first, and a contender over the cap
        # says so.
        self.assertIn("| GMP (`mpz_ui_pow_ui`, then `mpz_get_str`) | 1.000 | 1.20 |", lines)
        self.assertEqual(lines.index("| uhigh (`pow`, then the text) | 2.000 | 1.50 |"),
                         lines.index("| GMP (`mpz_ui_pow_ui`, then `mpz_get_str`) | 1.000 | 1.20 |") + 1)
        self.assertIn("| CPython `int` and `str()`, 3.11.7 GCC 12.2.0 | over the cap | - |", lines)


if __name__ == "__main__":
    unittest.main()
