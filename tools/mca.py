"""Estimates, with llvm-mca, the cycles per 64 digits of each kernel's inner
loop, for the forms a target has, on the cores named.

Usage: python3 tools/mca.py [--measured BUILD_DIR]

With --measured, it also runs BUILD_DIR/bench/kernels_bench on this machine
and turns its times into cycles at the clock /proc/cpuinfo reports, next to
the estimate for the same form.

It compiles each kernel file with the project's own compiler for that target
(g++ for x86-64, aarch64-linux-gnu-g++ for AArch64) at -O3, finds each
kernel's steady-state loop in the assembly (the block from a label to the
backward branch that closes it), and hands that block to llvm-mca for the
core. llvm-mca models issue, ports and latencies of one core from LLVM's
scheduling tables; it does not model caches, branch mispredictions or the
front end. Its numbers are estimates, and for a machine that is not here
they stay estimates: the x86 rows can be held against this machine's own
timings (bench/stages_bench) to see how far to trust them.
"""
import re
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
MCA = "llvm-mca-14"

# (file, defines, compiler, extra flags, llvm-mca triple)
TARGETS = {
    "x86-64": ("x86_64-linux-gnu", "g++", ["-DUHIGH_X86_SIMD=1"]),
    "aarch64": ("aarch64-linux-gnu", "aarch64-linux-gnu-g++", ["-DUHIGH_NEON=1"]),
}
FORMS = {
    # form: (target, file, compile flags, digits per loop iteration of each
    # kernel's steady-state loop)
    "word": (None, "word.cpp", [], {"double": 8, "add": 8, "sub": 8, "mul_digit": 8}),
    "sse2": ("x86-64", "sse2.cpp", [], None),
    "avx2": ("x86-64", "avx2.cpp", ["-mavx2"], None),
    "avx512": ("x86-64", "avx512.cpp", ["-mavx512f", "-mavx512bw"], None),
    "neon": ("aarch64", "neon.cpp", [], None),
}
# The SIMD template settles sums two blocks per round and differences one.
SIMD_DIGITS = {"double": 128, "add": 128, "sub": 64, "mul_digit": 128}
CORES = {"x86-64": ["znver3"], "aarch64": ["neoverse-n1", "apple-m1"]}
# Zen 3 has no AVX-512 and LLVM 14 knows no Zen 4: the AVX-512 form is
# estimated on Ice Lake server instead.
FORM_CORES = {"avx512": ["icelake-server"]}

JUMP = re.compile(r"^\s+(jmp|b)\s")
CALL = re.compile(r"^\s+(call|bl)\s")
BRANCH = re.compile(r"^\s+(j\w+|b|b\.?\w\w|cbn?z|tbn?z)\s+(?:.*,\s*)?(\.L\w+)\s*$")


def assembly(target, source, flags):
    triple, compiler, defines = TARGETS[target]
    out = subprocess.run([compiler, "-std=c++20", "-O3", "-DNDEBUG", f"-I{ROOT}", *defines,
                          *flags, "-S", "-o", "-", str(ROOT / "bignum/kernels" / source)],
                         check=True, capture_output=True, text=True).stdout
    return out.splitlines()


def functions(lines):
    """name -> lines of its body, for every function in the file."""
    found, name, body = {}, None, []
    for line in lines:
        m = re.match(r"^(\S+):\s*$", line)
        if m and not m.group(1).startswith("."):
            name, body = m.group(1), []
            found[name] = body
        elif name:
            body.append(line)
            if line.strip().startswith(".size"):
                name = None
    return found


def loops(body):
    """Every block from a label to a later branch back to it, innermost
    first: (instructions, has an exit branch inside)."""
    labels = {}
    out = []
    for i, line in enumerate(body):
        m = re.match(r"^(\.L\w+):", line)
        if m:
            labels[m.group(1)] = i
            continue
        b = BRANCH.match(line)
        if b and b.group(2) in labels:
            start = labels[b.group(2)]
            block = [l for l in body[start + 1:i + 1]
                     if l.startswith("\t") and not l.strip().startswith(".")]
            out.append(block)
    return out


def kernel_loops(form, target, lines):
    """kernel -> its steady-state loop."""
    found = {}
    for name, body in functions(lines).items():
        kernel = next((k for k in ("mul_digit", "add_carry", "sub_borrow", "add", "sub")
                       if re.search(rf"(?<!\d){len(k)}{k}E", name)), None)
        if kernel not in ("add", "sub", "mul_digit"):
            continue
        if form != "word" and "simd" not in name:
            continue
        if form == "word" and "word_form" not in name:
            continue
        # A loop body runs straight to its closing branch: a block with a call
        # or an unconditional jump in it spans tail or out-of-line code. Of
        # the rest the innermost, the smallest, is the steady state; a larger
        # one closes around the exact path as well.
        blocks = sorted((b for b in loops(body)
                         if not any(CALL.match(l) or JUMP.match(l) for l in b)), key=len)
        if not blocks:
            continue
        if kernel == "add" and form != "word":
            # Two loops: the general sum leaves the loop for the exact path
            # when a lane propagates; x + x skips that test, so its only
            # branch is the one that closes the loop.
            branches = lambda b: sum(bool(BRANCH.match(l)) for l in b)
            found["add"] = next(b for b in blocks if branches(b) > 1)
            found["double"] = next(b for b in blocks if branches(b) == 1)
        else:
            found[kernel] = blocks[0]
            if kernel == "add":
                found["double"] = blocks[0]
    return found


def cycles(block, triple, core):
    with tempfile.NamedTemporaryFile("w", suffix=".s") as f:
        f.write("\n".join(block) + "\n")
        f.flush()
        out = subprocess.run([MCA, f"-mtriple={triple}", f"-mcpu={core}", "-iterations=200",
                              f.name], capture_output=True, text=True)
    if out.returncode != 0:
        sys.exit(f"llvm-mca failed on {triple} {core}:\n{out.stderr}")
    total = int(re.search(r"Total Cycles:\s+(\d+)", out.stdout).group(1))
    return total / 200


def main():
    rows = []
    for form, (target, source, flags, digits) in FORMS.items():
        for t in ([target] if target else list(TARGETS)):
            triple = TARGETS[t][0]
            found = kernel_loops(form, t, assembly(t, source, flags))
            per_iteration = digits or SIMD_DIGITS
            for core in FORM_CORES.get(form, CORES[t]):
                for kernel in ("double", "add", "sub", "mul_digit"):
                    c = cycles(found[kernel], triple, core)
                    rows.append((core, form, kernel, c * 64 / per_iteration[kernel],
                                 len(found[kernel])))
    measured = {}
    if "--measured" in sys.argv:
        measured = measure(sys.argv[sys.argv.index("--measured") + 1])
    kinds = ("double", "add", "sub", "mul_digit")
    print("| core | form | x += x | add | sub | mul_digit |")
    print("| --- | --- | --- | --- | --- | --- |")
    seen = {}
    for core, form, kernel, c, _ in rows:
        seen.setdefault((core, form), {})[kernel] = c
    for (core, form), k in seen.items():
        print(f"| {core} (llvm-mca) | {form} | " + " | ".join(f"{k[x]:.1f}" for x in kinds) + " |")
        if form in measured and core in CORES["x86-64"] + FORM_CORES.get(form, []):
            m = measured[form]
            print(f"| this machine (measured) | {form} | " +
                  " | ".join(f"{m[x]:.1f}" for x in kinds) + " |")


def measure(build):
    """form -> kernel -> cycles per 64 digits, from kernels_bench here."""
    mhz = float(re.search(r"cpu MHz\s*:\s*([\d.]+)", Path("/proc/cpuinfo").read_text()).group(1))
    out = subprocess.run([f"{build}/bench/kernels_bench", "--benchmark_format=json",
                          "--benchmark_repetitions=5", "--benchmark_min_time=0.1"],
                         check=True, capture_output=True, text=True).stdout
    import json
    found = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        _, form, kernel, n = b["run_name"].split("/")
        c = b["real_time"] * 1e-9 * mhz * 1e6 / (int(n) / 64)  # real_time is in ns
        slot = found.setdefault(form, {})
        slot[kernel] = min(slot.get(kernel, c), c)
    return found

if __name__ == "__main__":
    main()
