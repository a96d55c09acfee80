#!/usr/bin/env bash
# Builds the program and the test suite for another platform and runs the
# suite there, under qemu-user or wine: every kernel form the target offers
# and the end-to-end dialogue test. Or, for x86-64 CPUs this machine is not,
# runs this machine's own build on an emulated older CPU.
#
#   bash tools/cross-check.sh TARGET
#
#   aarch64, armhf, s390x, mingw64   a cross build, run under its emulator
#   x86-64-sse2   the native build on an emulated Nehalem (SSE2, no AVX):
#                 the program must choose sse2, and no instruction outside
#                 the AVX forms may need more
#   x86-64-avx2   the same on an emulated Haswell (AVX2, no AVX-512): it must
#                 choose avx2
#
# Needs the target's cross compiler and emulator (see .ci/run for the Debian
# packages) and, for the Linux targets, GMP for that architecture
# (libgmp-dev:arm64 and so on); without it the GMP oracle tests are left out.
# The x86-64 targets use the build in build/ (UHIGH_BUILD_DIR), made first
# if it is not there.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: tools/cross-check.sh aarch64|armhf|s390x|mingw64|x86-64-sse2|x86-64-avx2}

case "$target" in
  x86-64-sse2 | x86-64-avx2)
    # Haswell without the features qemu's TCG cannot model, so that it runs
    # the program without a word of its own on standard error.
    if [ "$target" = x86-64-sse2 ]; then
      cpu=Nehalem want=sse2
    else
      cpu=Haswell-noTSX,-pcid,-x2apic,-tsc-deadline,-invpcid want=avx2
    fi
    build=${UHIGH_BUILD_DIR:-build}
    [ -x "$build/tests/uhigh_tests" ] || { cmake -S . -B "$build" && cmake --build "$build" -j2; }
    emulate=(qemu-x86_64 -cpu "$cpu")
    echo "== $target: the forms probe on an emulated $cpu"
    form=$("${emulate[@]}" "$build/tests/uhigh_tests" --gtest_filter='KernelSelection.*' |
             sed -n 's/^kernel form: //p')
    [ "$form" = "$want" ] || { echo "on $cpu the form chosen was '$form', not $want"; exit 1; }
    echo "== $target: the class's tests and one dialogue on the form $cpu runs"
    UHIGH_EMULATED=1 "${emulate[@]}" "$build/tests/uhigh_tests" --suites=form --gtest_brief=1 | tail -n 3
    echo "== $target: the whole dialogue"
    python3 tests/e2e/end_to_end.py "$build/uhigh-bench" "${emulate[@]}"
    echo "$target: form $form, every test passed"
    exit 0
    ;;
esac

toolchain=cmake/$target.cmake
[ -f "$toolchain" ] || { echo "no toolchain file $toolchain" >&2; exit 2; }

if [ "$target" = mingw64 ]; then
  # A wine prefix of our own, made before the tests so that its one-time
  # set-up does not count against their timeouts.
  export WINEPREFIX=${WINEPREFIX:-$PWD/build-mingw64/wineprefix} WINEDEBUG=-all
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
fi

echo "== $target: build"
cmake -S . -B "build-$target" --toolchain "$toolchain" -DUHIGH_BUILD_BENCH=OFF
cmake --build "build-$target" -j2
echo "== $target: tests"
ctest --test-dir "build-$target" -j2 --output-on-failure --no-tests=error
if [ "$target" = armhf ]; then
  # NEON is optional on ARMv7: on a CPU without it (qemu's cortex-r5f) the
  # program must choose the word form, and nothing else may use NEON.
  echo "== armhf: a CPU without NEON"
  form=$(QEMU_CPU=cortex-r5f qemu-arm "build-$target/tests/uhigh_tests" \
           --gtest_filter='KernelSelection.*' | sed -n 's/^kernel form: //p')
  [ "$form" = word ] || { echo "without NEON the form chosen was '$form', not word"; exit 1; }
  QEMU_CPU=cortex-r5f ctest --test-dir "build-$target" -j2 --output-on-failure --no-tests=error \
    -R end_to_end
  echo "without NEON: form word, dialogue exact"
fi
