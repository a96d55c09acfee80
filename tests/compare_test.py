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


class Report(unittest.TestCase):
    def test_a_series_stops_after_its_first_slow_point(self):
        times = {1: 0.5, 2: 4.0, 3: 9.0}
        measured = []
        points = compare.series([1, 2, 3], lambda s: measured.append(s) or
                                {"seconds": times[s]}, limit=3.0)
        self.assertEqual([p["size"] for p in points], [1, 2])
        self.assertEqual(measured, [1, 2])  # the size past it is never run

    def test_a_predicted_slow_size_is_not_started(self):
        # 2 s at size 10 makes size 30 about 18 s: past a limit of 10.
        points = compare.series([10, 30], lambda s: {"seconds": 2.0}, limit=10.0, predict=True)
        self.assertEqual([p["size"] for p in points], [10])

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

    def test_decimal_is_timed_only_in_an_exact_context(self):
        self.assertTrue(compare.decimal_is_exact())
        rounding = "import decimal\none = decimal.Decimal(1)\n"  # 28 digits
        self.assertFalse(compare.decimal_is_exact(rounding))


if __name__ == "__main__":
    unittest.main()
