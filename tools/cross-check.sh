#!/usr/bin/env bash
# Builds the program and the test suite for another platform and runs the
# suite there, under qemu-user or wine: every kernel form the target offers
# and the end-to-end dialogue test.
#
#   bash tools/cross-check.sh TARGET    TARGET: aarch64, armhf, s390x or mingw64
#
# Needs the target's cross compiler and emulator (see .ci/run for the Debian
# packages) and, for the Linux targets, GMP for that architecture
# (libgmp-dev:arm64 and so on); without it the GMP oracle tests are left out.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: tools/cross-check.sh aarch64|armhf|s390x|mingw64}
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
ctest --test-dir "build-$target" --output-on-failure --no-tests=error
if [ "$target" = armhf ]; then
  # NEON is optional on ARMv7: on a CPU without it (qemu's cortex-r5f) the
  # program must choose the word form, and nothing else may use NEON.
  echo "== armhf: a CPU without NEON"
  form=$(QEMU_CPU=cortex-r5f qemu-arm "build-$target/tests/uhigh_tests" \
           --gtest_filter='KernelSelection.*' | sed -n 's/^kernel form: //p')
  [ "$form" = word ] || { echo "without NEON the form chosen was '$form', not word"; exit 1; }
  QEMU_CPU=cortex-r5f ctest --test-dir "build-$target" --output-on-failure --no-tests=error \
    -R end_to_end
  echo "without NEON: form word, dialogue exact"
fi
