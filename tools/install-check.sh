#!/usr/bin/env bash
# Proves every way of adopting the class, each against what it prints:
#  - cmake --install of BUILD_DIR into a temporary prefix, then the outside
#    project in examples/consumer through find_package and through
#    pkg-config;
#  - a shared build (libuhigh.so.1): its SONAME and exported symbols,
#    find_package against it, and the program linked to it;
#  - examples/subproject, a Debug project that takes the class in with
#    add_subdirectory and with FetchContent from a `git archive` tarball,
#    and must keep its build type, tests, install and package its own;
#  - the Debian packages uhigh-bench and libuhigh-dev: their contents, the
#    unpacked program through the end-to-end test, and lintian.
# Nothing goes into the system's own directories.
#
#   bash tools/install-check.sh [BUILD_DIR]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
expected=$'30! = 265252859812191058636308480000000\n2^64 = 18446744073709551616'

fail() { echo "FAILED: $*"; exit 1; }
check() {  # LABEL COMMAND...: the command must print the expected lines
  local label=$1 got
  shift
  got=$("$@")
  [ "$got" = "$expected" ] || fail "$label printed: $got"
  echo "$label: ok"
}
libdir_of() { sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$1/CMakeCache.txt"; }

echo "== the manual page, checked by groff"
warnings=$(groff -ww -z -man man/uhigh-bench.1 2>&1)
[ -z "$warnings" ] || fail "$warnings"

echo "== cmake --install into a temporary prefix"
prefix=$work/prefix
libdir=$(libdir_of "$build")
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/uhigh-bench share/man/man1/uhigh-bench.1 include/bignum/uhigh.h \
         include/bignum/split_decimal.h include/bignum/kernels.h include/bignum/uhigh_export.h \
         "$libdir/libuhigh.a" "$libdir/pkgconfig/uhigh.pc" "$libdir/cmake/uhigh/uhighConfig.cmake"; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done

echo "== an outside project through find_package(uhigh 1)"
cmake -S examples/consumer -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
check "find_package" "$work/consumer/consumer"

echo "== the same through pkg-config"
flags=$(PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig" pkg-config --cflags --libs uhigh)
g++ -std=c++17 examples/consumer/main.cpp $flags -o "$work/consumer-pc"
check "pkg-config ($flags)" "$work/consumer-pc"

echo "== the static library inside a consumer's shared object"
printf '%s\n' '#include <bignum/uhigh.h>' '#include <sstream>' '#include <string>' \
  'std::string plugin_power(int p) { uhigh x(1); for (int i = 0; i < p; ++i) x += x;' \
  '  std::ostringstream s; s << x; return s.str(); }' >"$work/plugin.cpp"
g++ -std=c++17 -fPIC -shared "$work/plugin.cpp" $flags -o "$work/libplugin.so"
echo "shared object links libuhigh.a: ok"

echo "== a shared build: libuhigh.so.1"
shared=$work/shared-build
cmake -S . -B "$shared" -DBUILD_SHARED_LIBS=ON -DUHIGH_BUILD_TESTS=OFF -DUHIGH_BUILD_BENCH=OFF \
  >/dev/null
cmake --build "$shared" -j2 >/dev/null
cmake --install "$shared" --prefix "$work/shared" >/dev/null
so=$work/shared/$(libdir_of "$shared")/libuhigh.so
[ -f "$so.1.0.0" ] && [ -L "$so.1" ] && [ -L "$so" ] || fail "libuhigh.so.1.0.0 and its links"
soname=$(objdump -p "$so.1.0.0" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libuhigh.so.1 ] || fail "SONAME is '$soname'"
# Exported: the class and the kernels' interface; hidden: the forms' own code.
symbols=$(nm -D --defined-only -C "$so.1.0.0")
for wanted in 'uhigh::operator+=' 'compare(uhigh const&, uhigh const&)' 'kernels::select' \
              'kernels::reference'; do
  grep -qF "$wanted" <<<"$symbols" || fail "not exported: $wanted"
done
if grep -qE 'kernels::(word|sse2|avx2|avx512|neon)\b|simd|storage::' <<<"$symbols"; then
  fail "internal symbols exported: $(grep -E 'kernels::(word|sse2|avx2|avx512)|simd' <<<"$symbols")"
fi
echo "SONAME $soname; $(wc -l <<<"$symbols") exported symbols, none internal: ok"
cmake -S examples/consumer -B "$work/consumer-so" -DCMAKE_PREFIX_PATH="$work/shared" >/dev/null
cmake --build "$work/consumer-so" >/dev/null
ldd "$work/consumer-so/consumer" | grep -q 'libuhigh.so.1 =>' || fail "consumer not linked to libuhigh.so.1"
check "find_package, shared" "$work/consumer-so/consumer"
ldd "$shared/uhigh-bench" | grep -q 'libuhigh.so.1 =>' || fail "program not linked to libuhigh.so.1"
python3 tests/end_to_end.py "$shared/uhigh-bench"

# A Debug project that takes the class in as a subproject (from FROM) must
# keep its own build type, tests, install and package, and get no -Werror.
subproject() {  # LABEL FROM
  local label=$1 dir=$work/sub-$1
  echo "== a Debug project that takes the class in with $label"
  cmake -S examples/subproject -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DUHIGH_FROM="$2" >/dev/null
  cmake --build "$dir" -j2 >/dev/null
  check "$label" "$dir/consumer"
  grep -qx 'CMAKE_BUILD_TYPE:STRING=Debug' "$dir/CMakeCache.txt" || fail "$label: build type changed"
  ctest --test-dir "$dir" -N | grep -qx 'Total Tests: 1' || fail "$label: tests not its own"
  ctest --test-dir "$dir" >/dev/null || fail "$label: its own test fails"
  cmake --install "$dir" --prefix "$dir/prefix" >/dev/null
  [ "$(cd "$dir/prefix" && find . -type f)" = ./bin/consumer ] ||
    fail "$label: install not its own: $(cd "$dir/prefix" && find . -type f)"
  grep -q 'set(CPACK_PACKAGE_NAME "uhigh-consumer")' "$dir/CPackConfig.cmake" ||
    fail "$label: package not its own"
  ! grep -rq -- '-Werror' "$dir"/_deps/*-build/CMakeFiles "$dir"/uhigh/CMakeFiles 2>/dev/null ||
    fail "$label: -Werror reached the library"
  [ -z "$(find "$dir" -name uhigh-bench -type f)" ] || fail "$label: the program was built"
  echo "$label: build type, tests, install and package its own; no -Werror: ok"
}
subproject add_subdirectory "$PWD"
# A release tarball as git archive makes it: no .git, only tracked files
# (with their uncommitted changes, so the check sees the tree as it is).
tree=$(git stash create 2>/dev/null || true)
git archive --format=tar.gz --prefix=uhigh-bench-1.0.0/ -o "$work/uhigh-bench-1.0.0.tar.gz" \
  "${tree:-HEAD}"
subproject FetchContent "$work/uhigh-bench-1.0.0.tar.gz"

echo "== the Debian packages"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
program_deb=$(ls "$build"/uhigh-bench_1.0.0_*.deb)
dev_deb=$(ls "$build"/libuhigh-dev_1.0.0_*.deb)
echo "built $(basename "$program_deb") (depends: $(dpkg-deb -f "$program_deb" Depends))" \
  "and $(basename "$dev_deb")"
program_files=$(dpkg-deb -c "$program_deb")
dev_files=$(dpkg-deb -c "$dev_deb")
grep -q 'include/' <<<"$program_files" && fail "uhigh-bench holds headers"
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
for f in include/bignum/uhigh.h "lib/$multiarch/libuhigh.a" "lib/$multiarch/pkgconfig/uhigh.pc" \
         "lib/$multiarch/cmake/uhigh/uhighConfig.cmake" share/doc/libuhigh-dev/copyright; do
  grep -q "\./usr/$f\$" <<<"$dev_files" || fail "libuhigh-dev lacks /usr/$f"
done
grep -q 'bin/' <<<"$dev_files" && fail "libuhigh-dev holds a program"
dpkg-deb -x "$program_deb" "$work/deb"
python3 tests/end_to_end.py "$work/deb/usr/bin/uhigh-bench"
if command -v lintian >/dev/null; then
  for deb in "$program_deb" "$dev_deb"; do
    lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.txt" || true
    if grep -qE '^(E|W):' "$work/lintian.txt"; then
      fail "lintian reports errors or warnings on $(basename "$deb")"
    fi
  done
  echo "lintian: no errors, no warnings"
fi
echo "install checks passed"
