"""Runs the built uhigh-bench with answers on standard input and checks what
it writes and how it exits.

Usage: end_to_end.py BINARY [EMULATOR...]: a cross-built binary runs under
its emulator (qemu-user, wine). Windows writes its console's own line ends
(CR LF); they are read back as plain newlines."""
import subprocess
import sys
import unittest

BINARY = sys.argv[1]
COMMAND = sys.argv[2:] + [BINARY]
del sys.argv[1:]

BANNER = ("This program tests the uhigh maths class.\n"
          "The program compute factorials and raise 2\n"
          "to powers with total precision.\n\n")


def run(answers, args=()):
    result = subprocess.run(COMMAND + list(args), input=answers.encode(), capture_output=True,
                            timeout=300)
    result.stdout = result.stdout.decode().replace("\r\n", "\n")
    result.stderr = result.stderr.decode().replace("\r\n", "\n")
    return result


class EndToEnd(unittest.TestCase):
    def test_sample_session(self):
        result = run("5\n1000\n10\n1000\n")
        self.assertEqual(result.returncode, 0)
        self.assertEqual(result.stderr, "")
        lines = result.stdout.split("\n")
        self.assertEqual(lines[:4], BANNER.split("\n")[:4])
        self.assertEqual(lines[4], "What number would you like a factorial for? ")
        self.assertEqual(lines[5], "Number of iterations to do? ")
        self.assertRegex(lines[6], r"^Uhigh Elapsed: [0-9.e+-]+ Sec$")
        self.assertEqual(lines[7:12], ["", "5! = 120", "", "", ""])
        self.assertEqual(lines[12], "To what power would you like two raised? ")
        self.assertEqual(lines[13], "Number of iterations to do? ")
        self.assertRegex(lines[14], r"^Elapsed: [0-9.e+-]+ Sec$")
        self.assertEqual(lines[15:], ["", "2^10 = 1024", ""])

    def test_input_that_ends_early(self):
        result = run("20 1\n")
        self.assertEqual(result.returncode, 1)
        self.assertIn("20! = 2432902008176640000\n", result.stdout)
        self.assertTrue(result.stdout.endswith("To what power would you like two raised? \n"))
        self.assertEqual(result.stderr.count("\n"), 1)
        self.assertIn("input ended", result.stderr)

    def test_ignores_its_command_line(self):
        result = run("3 0 3 0", ["--help", "7"])
        self.assertEqual(result.returncode, 0)
        self.assertIn("\n3! = 6\n", result.stdout)
        self.assertIn("\n2^3 = 8\n", result.stdout)


if __name__ == "__main__":
    unittest.main()
