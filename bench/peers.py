"""What bench/compare.py runs and records besides its C++ contenders: the
Python peers (Python's decimal, libmpdec, which keeps base-ten digits as
uhigh does; CPython's int), each timed in a fresh process that writes the
same fields as a Google Benchmark run, and the host facts that Google
Benchmark's context leaves out (CPU model, vector width, compiler, commit)."""
import json
import os
import platform
import re
import shutil
import subprocess
import sys
from pathlib import Path

# One Python turn: as many repetitions as fill min_time seconds (one at
# least), as Google Benchmark does, then their mean per repetition and the
# process's peak memory, as JSON; with a negative min_time, the result
# once instead. decimal gets a context that keeps every digit and reaches
# no exponent limit.
PEER = r"""
import json, random, sys, time
stage, kind, size, min_time = sys.argv[1], sys.argv[2], int(sys.argv[3]), float(sys.argv[4])
if hasattr(sys, "set_int_max_str_digits"):
    sys.set_int_max_str_digits(0)
if kind == "decimal":
    import decimal
    decimal.setcontext(decimal.Context(prec=decimal.MAX_PREC, Emax=decimal.MAX_EMAX,
                                       Emin=decimal.MIN_EMIN))
    make = decimal.Decimal
else:
    make = int
random.seed(20261209)
digits = lambda n: str(random.randint(1, 9)) + "".join(random.choice("0123456789") for _ in range(n - 1))
if stage in ("mul", "div"):
    x = make(digits(max(size, 1)))
    y = make(digits(max(size // 2 if stage == "div" else size, 1)))
def once():
    if stage == "factorial":
        f = make(1)
        for k in range(size, 0, -1):
            f *= k
    elif stage == "power":
        f = make(1)
        for _ in range(size):
            f += f
    elif stage == "mul":
        f = x * y
    elif stage == "div":
        f = divmod(x, y)
    else:
        f = str(make(2) ** size - 1)
    return f
if min_time < 0:  # the result itself, to check the loops against exact ones
    print(once() if stage == "prime" else str(once() if stage != "div" else once()[0]))
    sys.exit(0)
n, wall, cpu = 0, 0.0, 0.0
while n == 0 or wall < min_time:
    w, c = time.perf_counter(), time.process_time()
    once()
    wall += time.perf_counter() - w
    cpu += time.process_time() - c
    n += 1
peak = next(int(l.split()[1]) for l in open("/proc/self/status") if l.startswith("VmHWM:"))
print(json.dumps({"iterations": n, "real_time": wall / n, "cpu_time": cpu / n, "peak_kib": peak}))
"""


def pythons():
    """{label: (path, build)} for each distinct Python 3 build here (on
    PATH, running this, Debian's): the label is the version, made unique;
    the build names version, compiler and libmpdec."""
    found = {}
    for path in (shutil.which("python3"), sys.executable, "/usr/bin/python3"):
        if not path or not os.path.exists(path):
            continue
        build = subprocess.run(
            [path, "-c", "import platform, decimal; print(platform.python_version(),"
             " platform.python_compiler(), 'libmpdec', decimal.__libmpdec_version__)"],
            capture_output=True, text=True).stdout.strip()
        if build and build not in (b for _, b in found.values()):
            label = build.split()[0]
            found[label if label not in found else f"{label}-{len(found)}"] = (path, build)
    return found


def peer_command(path, stage, kind, size, min_time):
    return [path, "-c", PEER, stage, kind, str(size), str(min_time)]


def host(build_dir):
    """The facts of this host and build that every run records."""
    info = Path("/proc/cpuinfo").read_text() if Path("/proc/cpuinfo").exists() else ""
    model = re.search(r"^model name\s*:\s*(.*)$", info, re.M)
    flags = re.search(r"^(?:flags|Features)\s*:\s*(.*)$", info, re.M)
    flags = flags.group(1).split() if flags else []
    width = next((w for f, w in (("avx512f", "AVX-512"), ("avx2", "AVX2"), ("sse2", "SSE2"),
                                 ("asimd", "Advanced SIMD")) if f in flags), "none")
    cache = Path(build_dir, "CMakeCache.txt").read_text()
    value = lambda key: re.search(rf"^{key}:\w+=(.*)$", cache, re.M).group(1)
    source = value("CMAKE_HOME_DIRECTORY")
    git = lambda *a: subprocess.run(["git", "-C", source, *a], capture_output=True,
                                    text=True).stdout.strip()
    commit = git("rev-parse", "--short", "HEAD") or "unknown"
    if git("status", "--porcelain", "--untracked-files=no"):
        commit += "+changes"
    return {
        "cpu": model.group(1) if model else platform.processor() or platform.machine(),
        "vector": width,
        "system": platform.platform(),
        "compiler": subprocess.run([value("CMAKE_CXX_COMPILER"), "--version"], capture_output=True,
                                   text=True).stdout.splitlines()[0],
        "build_type": value("CMAKE_BUILD_TYPE"),
        "commit": commit,
    }


def run_json(command, cpu=None):
    """Runs a contender's process and parses its standard output as JSON;
    None (and its error shown) when it failed."""
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.stderr.write(done.stderr)
        return None
    return json.loads(done.stdout)
