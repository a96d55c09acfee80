#!/usr/bin/env bash
# Proves the install: installs BUILD_DIR into a temporary prefix, builds the
# outside project in examples/consumer against it through find_package and
# through pkg-config and checks what it prints, then builds the Debian
# package, unpacks it and runs the unpacked program through the end-to-end
# test, and has lintian look at the package. Nothing goes into the system's
# own directories.
#
#   bash tools/install-check.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
expected=$'30! = 265252859812191058636308480000000\n2^64 = 18446744073709551616'

check() {  # LABEL PROGRAM: PROGRAM must print the expected lines
  local got
  got=$("$2")
  if [ "$got" != "$expected" ]; then
    printf '%s printed:\n%s\n' "$1" "$got"
    exit 1
  fi
  echo "$1: ok"
}

echo "== the manual page, checked by groff"
warnings=$(groff -ww -z -man man/uhigh-bench.1 2>&1)
[ -z "$warnings" ] || { echo "$warnings"; exit 1; }

echo "== cmake --install into $work/prefix"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/uhigh-bench share/man/man1/uhigh-bench.1 include/bignum/uhigh.h \
         include/bignum/split_decimal.h include/bignum/kernels.h; do
  [ -f "$work/prefix/$f" ] || { echo "not installed: $f"; exit 1; }
done

echo "== an outside project through find_package(uhigh 1)"
cmake -S examples/consumer -B "$work/consumer" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
check "find_package" "$work/consumer/consumer"

echo "== the same through pkg-config"
flags=$(PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" pkg-config --cflags --libs uhigh)
g++ examples/consumer/main.cpp $flags -o "$work/consumer-pc"
check "pkg-config ($flags)" "$work/consumer-pc"

echo "== the Debian package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/uhigh-bench_1.0.0_*.deb)
echo "built $(basename "$deb"); depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -x "$deb" "$work/deb"
python3 tests/end_to_end.py "$work/deb/usr/bin/uhigh-bench"
if command -v lintian >/dev/null; then
  # Errors fail the check; the warnings left are listed in the README.
  lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.txt" || true
  if grep -q '^E:' "$work/lintian.txt"; then
    echo "lintian reports errors"
    exit 1
  fi
fi
echo "install checks passed"
