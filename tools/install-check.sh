#!/usr/bin/env bash
# Proves every way of adopting the class, each against what it prints:
#  - cmake --install of BUILD_DIR into a temporary prefix, then the outside
#    project in examples/consumer through find_package and through
#    pkg-config;
#  - a shared build (libuhigh.so.1) with the program and the benchmarks:
#    its SONAME and exported symbols, find_package against it, and the
#    program linked to it (CI runs the whole suite on a shared build in its
#    sanitizer step, so this one leaves the tests out);
#  - examples/subproject, a Debug project that takes the class in with
#    add_subdirectory and with FetchContent from a `git archive` tarball,
#    and must keep its build type, tests, install and package its own;
#  - a project that exports its own library target (install(EXPORT)) and
#    takes the class in with add_subdirectory and with FetchContent;
#  - a consumer below C++17, which must get one error that names C++17;
#  - the Debian packages uhigh-bench and libuhigh-dev of BUILD_DIR, and
#    libuhigh1, libuhigh-dev and uhigh-bench of the shared build: their
#    contents and dependencies, the unpacked program through the dialogue's
#    end-to-end tests, and lintian.
# Nothing goes into the system's own directories, unless --system is given
# (CI, as root): then the shared build's three packages are installed with
# dpkg -i, a consumer is built and run against the installed shared library,
# and the packages are purged again.
#
#   bash tools/install-check.sh [BUILD_DIR] [--system]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
system=0
if [ "${2:-}" = --system ] || [ "${1:-}" = --system ]; then system=1; fi
[ "${1:-}" = --system ] && shift
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
         include/bignum/kernels.h include/bignum/uhigh_export.h \
         "$libdir/libuhigh.a" "$libdir/pkgconfig/uhigh.pc" "$libdir/cmake/uhigh/uhighConfig.cmake"; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
# The public headers alone: no internal header goes out, and none is named
# by one that does.
headers=$(cd "$prefix/include/bignum" && ls)
[ "$headers" = $'kernels.h\nuhigh.h\nuhigh_export.h\nuhigh_inline.h\nuhigh_types.h' ] || fail "installed headers: $headers"
if grep -h '#include "' "$prefix"/include/bignum/*.h |
  grep -vE '"bignum/(uhigh_export|uhigh_types|uhigh_inline)\.h"'; then
  fail "a public header includes an internal one"
fi

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

echo "== a shared build, libuhigh.so.1, as docs/adopting.md gives it: the program and the benchmarks"
shared=$work/shared-build
cmake -S . -B "$shared" -DBUILD_SHARED_LIBS=ON -DUHIGH_BUILD_TESTS=OFF >/dev/null
cmake --build "$shared" -j2 >/dev/null
cmake --install "$shared" --prefix "$work/shared" >/dev/null
so=$work/shared/$(libdir_of "$shared")/libuhigh.so
[ -f "$so.1.0.0" ] && [ -L "$so.1" ] && [ -L "$so" ] || fail "libuhigh.so.1.0.0 and its links"
soname=$(objdump -p "$so.1.0.0" | awk '$1 == "SONAME" {print $2}')
[ "$soname" = libuhigh.so.1 ] || fail "SONAME is '$soname'"
# Exported: the class's public members and hidden friends, the private
# members its inline templates call, and the public kernel choice; nothing
# else (no private member, no form's own code). 'u' symbols are the C++
# library's own unique objects.
symbols=$(nm -D --defined-only -C "$so.1.0.0" | awk '$2 != "u"' | cut -d' ' -f3-)
for wanted in 'uhigh::operator+=' 'compare(uhigh const&, uhigh const&)' 'uhigh_kernels::select' \
              'uhigh_kernels::forms()'; do
  grep -qF "$wanted" <<<"$symbols" || fail "not exported: $wanted"
done
allowed='^(uhigh::(uhigh|~uhigh|operator|reserve\(|throw_negative|assign_magnitude\(unsigned long long'
allowed+='|multiply_by\(|product\(|power\(|to_widest\()'
allowed+='|uhigh_kernels::(forms|active_form|select)\('
allowed+='|std::hash<uhigh>::operator\(\)'
allowed+='|(compare|divmod|operator[<>]+|to_string\[abi:cxx11\])\(.*uhigh( const)?&)'
if [ -n "$(grep -vE "$allowed" <<<"$symbols")" ]; then
  fail "internal symbols exported: $(grep -vE "$allowed" <<<"$symbols" | tr '\n' ';')"
fi
# Every strong symbol either library defines is the class's or the project
# namespaces': none can collide with a consumer's own names.
for library in "$so.1.0.0" "$prefix/$libdir/libuhigh.a"; do
  strays=$(nm --defined-only -C "$library" 2>/dev/null | awk '$2 ~ /^[TDBR]$/' | cut -d' ' -f3- |
           grep -vE '^uhigh(_kernels|_detail)?::|\(.*uhigh( const)?&' || true)
  [ -z "$strays" ] || fail "symbols outside the project's names in $library: $strays"
done
echo "SONAME $soname; $(wc -l <<<"$symbols") exported symbols, none internal: ok"
cmake -S examples/consumer -B "$work/consumer-so" -DCMAKE_PREFIX_PATH="$work/shared" >/dev/null
cmake --build "$work/consumer-so" >/dev/null
grep -q 'libuhigh.so.1 =>' <<<"$(ldd "$work/consumer-so/consumer")" || fail "consumer not linked to libuhigh.so.1"
check "find_package, shared" "$work/consumer-so/consumer"
# The program of the shared build.
grep -q 'libuhigh.so.1 =>' <<<"$(ldd "$shared/uhigh-bench")" || fail "program not linked to libuhigh.so.1"

# A Debug project that takes the class in as a subproject (from FROM) must
# keep its own build type, tests, install and package, and get no -Werror.
subproject() {  # LABEL FROM
  local label=$1 dir=$work/sub-$1
  echo "== a Debug project that takes the class in with $label"
  # Without the CI environment's UHIGH_WERROR: what a consumer gets by default.
  env -u UHIGH_WERROR cmake -S examples/subproject -B "$dir" -DCMAKE_BUILD_TYPE=Debug \
    -DUHIGH_FROM="$2" >/dev/null
  cmake --build "$dir" -j2 >/dev/null
  check "$label" "$dir/consumer"
  grep -qx 'CMAKE_BUILD_TYPE:STRING=Debug' "$dir/CMakeCache.txt" || fail "$label: build type changed"
  grep -qx 'Total Tests: 1' <<<"$(ctest --test-dir "$dir" -N)" || fail "$label: tests not its own"
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

# A library that exports its own targets and links the class: it configures,
# builds and installs with the one line the docs give (UHIGH_INSTALL ON),
# and its installed package names uhigh's target.
exporter() {  # LABEL FROM
  local dir=$work/exp-$1
  echo "== a library exporting its own targets, taking the class in with $1"
  env -u UHIGH_WERROR cmake -S examples/exporter -B "$dir" -DUHIGH_FROM="$2" >/dev/null
  cmake --build "$dir" -j2 >/dev/null
  cmake --install "$dir" --prefix "$dir/prefix" >/dev/null
  grep -q 'uhigh::uhigh' "$dir/prefix/lib/cmake/powers/powersTargets.cmake" ||
    fail "$1: the exported target does not name uhigh::uhigh"
  [ -f "$dir/prefix/$(libdir_of "$dir")/cmake/uhigh/uhighConfig.cmake" ] ||
    fail "$1: uhigh's package was not installed with it"
  [ ! -f "$dir/CPackConfig.cmake" ] || fail "$1: uhigh set up a CPack of its own in the consumer"
  echo "$1: exported, built and installed: ok"
}
exporter add_subdirectory "$PWD"
exporter FetchContent "$work/uhigh-bench-1.0.0.tar.gz"

echo "== a strict consumer: the library's own sources give no warning"
strict="-Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wuseless-cast"
strict+=" -Wold-style-cast"
env -u UHIGH_WERROR cmake -S examples/subproject -B "$work/strict" -DUHIGH_FROM="$PWD" \
  -DCMAKE_CXX_FLAGS="$strict" >/dev/null
warnings=$(cmake --build "$work/strict" -j2 2>&1 | grep -E 'warning:' || true)
[ -z "$warnings" ] || fail "warnings under $strict: $warnings"
echo "no warning under $strict: ok"

echo "== a consumer below C++17 gets one error, naming C++17"
errors=$(echo '#include <bignum/uhigh.h>' | g++ -std=c++14 -fsyntax-only -I"$prefix/include" \
           -x c++ - 2>&1 | grep -E ': error:' || true)
[ "$(wc -l <<<"$errors")" -eq 1 ] && grep -q 'C++17' <<<"$errors" ||
  fail "below C++17: $errors"
echo "C++14: $(sed 's/.*error: //' <<<"$errors"): ok"

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
# The packaged program is this build's, whose every test has run: its
# dialogue on pipes shows the package holds a working one.
E2E_ONLY=EndToEnd python3 tests/e2e/end_to_end.py "$work/deb/usr/bin/uhigh-bench"
if command -v lintian >/dev/null; then
  for deb in "$program_deb" "$dev_deb"; do
    lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.txt" || true
    if grep -qE '^(E|W):' "$work/lintian.txt"; then
      fail "lintian reports errors or warnings on $(basename "$deb")"
    fi
  done
  echo "lintian: no errors, no warnings"
fi

echo "== the shared build's Debian packages: libuhigh1, libuhigh-dev, uhigh-bench"
(cd "$shared" && rm -f ./*.deb && cpack -G DEB >/dev/null)
runtime_deb=$(ls "$shared"/libuhigh1_1.0.0_*.deb)
shared_dev_deb=$(ls "$shared"/libuhigh-dev_1.0.0_*.deb)
shared_program_deb=$(ls "$shared"/uhigh-bench_1.0.0_*.deb)
runtime_files=$(dpkg-deb -c "$runtime_deb")
shared_dev_files=$(dpkg-deb -c "$shared_dev_deb")
for f in "lib/$multiarch/libuhigh.so.1 -> libuhigh.so.1.0.0" "lib/$multiarch/libuhigh.so.1.0.0" \
         share/doc/libuhigh1/copyright; do
  grep -qF "./usr/$f" <<<"$runtime_files" || fail "libuhigh1 lacks /usr/$f"
done
[ "$(grep -c '\.so' <<<"$runtime_files")" -eq 2 ] || fail "libuhigh1 holds more than the library"
for f in include/bignum/uhigh.h "lib/$multiarch/libuhigh.so -> libuhigh.so.1" \
         "lib/$multiarch/libuhigh.a" "lib/$multiarch/pkgconfig/uhigh.pc" \
         "lib/$multiarch/cmake/uhigh/uhighConfig.cmake"; do
  grep -qF "./usr/$f" <<<"$shared_dev_files" || fail "libuhigh-dev (shared) lacks /usr/$f"
done
grep -q '/libuhigh\.so\.1' <<<"$shared_dev_files" && fail "libuhigh-dev holds the runtime library"
# The manual page is compressed, the library's SONAME link is not.
grep -q 'man1/uhigh-bench.1.gz$' <<<"$(dpkg-deb -c "$shared_program_deb")" || fail "manual page"
for deb in "$shared_dev_deb" "$shared_program_deb"; do
  grep -q 'libuhigh1 (= 1.0.0)' <<<"$(dpkg-deb -f "$deb" Depends)" ||
    fail "$(basename "$deb") does not depend on libuhigh1: $(dpkg-deb -f "$deb" Depends)"
done
[ "$(dpkg-deb -I "$runtime_deb" shlibs)" = "libuhigh 1 libuhigh1 (>= 1.0.0)" ] || fail "shlibs"
if command -v lintian >/dev/null; then
  for deb in "$runtime_deb" "$shared_dev_deb" "$shared_program_deb"; do
    lintian --tag-display-limit 0 "$deb" 2>/dev/null | tee "$work/lintian.txt" || true
    grep -qE '^(E|W):' "$work/lintian.txt" && fail "lintian on $(basename "$deb")"
  done
  echo "lintian: no errors, no warnings on the three"
fi

if [ "$system" = 1 ]; then
  echo "== the three installed with dpkg -i, and a consumer of the installed shared library"
  packages=(uhigh-bench libuhigh-dev libuhigh1)
  dpkg --purge "${packages[@]}" >/dev/null 2>&1 || true
  trap 'dpkg --purge "${packages[@]}" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  dpkg -i "$runtime_deb" "$shared_dev_deb" "$shared_program_deb" >/dev/null
  env -u UHIGH_WERROR cmake -S examples/consumer -B "$work/consumer-deb" >/dev/null
  cmake --build "$work/consumer-deb" >/dev/null
  grep -qE "libuhigh.so.1 => (/usr)?/lib/$multiarch/libuhigh.so.1 " <<<"$(ldd "$work/consumer-deb/consumer")" ||
    fail "the consumer does not use the installed libuhigh.so.1"
  check "find_package, installed packages" "$work/consumer-deb/consumer"
  g++ -std=c++17 examples/consumer/main.cpp $(pkg-config --cflags --libs uhigh) -o "$work/consumer-deb-pc"
  check "pkg-config, installed packages" "$work/consumer-deb-pc"
  E2E_ONLY=EndToEnd python3 tests/e2e/end_to_end.py /usr/bin/uhigh-bench
  dpkg --purge "${packages[@]}" >/dev/null
  echo "installed, used and purged: ok"
fi
echo "install checks passed"
