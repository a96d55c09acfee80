"""Where a benchmark figure came from, for the scripts of bench/ to record
beside it: the CPU and its vector width, the compiler and flags of a build,
and every Python 3 build on the machine. Figures are the host's own: the
same code runs 1.2 to 1.4 times faster on some hosts than on others."""
import os
import platform
import re
import shutil
import subprocess
import sys
from pathlib import Path


def vector_width(flags):
    """The widest vector registers the CPU offers, from its flags. The width
    of the units behind them is not in the flags (AMD's Zen 4 runs AVX-512
    on 256-bit units), so this names the instruction set too."""
    if "avx512f" in flags:
        return "512-bit registers (AVX-512)"
    if "avx2" in flags:
        return "256-bit registers (AVX2)"
    if "sse2" in flags:
        return "128-bit registers (SSE2)"
    if "asimd" in flags or platform.machine() == "aarch64":
        return "128-bit registers (Advanced SIMD)"
    return "unknown"


def machine():
    info = Path("/proc/cpuinfo").read_text()
    found = re.search(r"^(?:flags|Features)\s*:\s*(.*)$", info, re.M)
    caches = {}
    for index in sorted(Path("/sys/devices/system/cpu/cpu0/cache").glob("index*")):
        level = (index / "level").read_text().strip()
        kind = (index / "type").read_text().strip()
        caches[f"L{level} {kind}"] = (index / "size").read_text().strip()
    model = re.search(r"model name\s*:\s*(.*)", info)
    clock = re.search(r"cpu MHz\s*:\s*([\d.]+)", info)
    return {
        "cpu": model.group(1) if model else platform.processor() or platform.machine(),
        "vector_width": vector_width(found.group(1).split() if found else []),
        "cores": os.cpu_count(),
        "clock_mhz": float(clock.group(1)) if clock else None,
        "caches": caches,
        "system": platform.platform(),
    }


def compiler(build):
    """The compiler and flags that built a CMake build directory."""
    cache = (Path(build) / "CMakeCache.txt").read_text()
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


def python_builds():
    """Each distinct Python 3 build on the machine (the python3 on PATH,
    the one running this and Debian's /usr/bin/python3), as (what it is,
    path); what it is names the version, the compiler and libmpdec's
    version, for instance "3.11.2 GCC 12.2.0 libmpdec 2.5.1"."""
    found, seen = [], set()
    for path in (shutil.which("python3"), sys.executable, "/usr/bin/python3"):
        if not path or not os.path.exists(path) or os.path.realpath(path) in seen:
            continue
        seen.add(os.path.realpath(path))
        info = subprocess.run([path, "-c", "import platform, decimal; print(platform.python_version(),"
                               " platform.python_compiler(), 'libmpdec', decimal.__libmpdec_version__)"],
                              capture_output=True, text=True).stdout.strip()
        found.append((info, path))
    return found


def title(cpu, width, form, build, pythons):
    """The two lines of a plot's title: the host and the software."""
    return (f"{cpu}, {width}, kernel form {form}\n{build['compiler']}, {build['flags']}; "
            f"Python {', '.join(p.split(' libmpdec')[0] for p in pythons)}")
