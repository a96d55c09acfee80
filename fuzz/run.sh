#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60).
# A crashing input is kept under fuzz-artifacts/TARGET/; the exit status is
# non-zero when any target found one.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DUHIGH_FUZZ=ON \
  -DUHIGH_BUILD_TESTS=OFF -DUHIGH_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target ops_fuzzer dialogue_fuzzer
status=0
for target in ops_fuzzer dialogue_fuzzer; do
  mkdir -p "build-fuzz/corpus/$target" "fuzz-artifacts/$target"
  echo "== $target for ${seconds}s"
  if ! "build-fuzz/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
      -print_final_stats=1 -artifact_prefix="fuzz-artifacts/$target/" \
      "build-fuzz/corpus/$target" 2>"build-fuzz/$target.log"; then
    status=1
    tail -n 40 "build-fuzz/$target.log"
  fi
  grep -E '^stat::number_of_executed_units|^Done|ERROR' "build-fuzz/$target.log" || true
done
exit $status
