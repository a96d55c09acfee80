#!/usr/bin/env bash
# .ci/install-packages against stand-in apt-get, apt-cache, dpkg-query and
# dpkg that log their calls: a failing `apt-get update` must not stop an
# install that can succeed, a package no list offers must fail with one line
# naming it, and a machine that has everything is asked nothing.
#
#   bash tests/tools/ci_install_test.sh PATH/TO/.ci/install-packages
set -u
script=$(realpath "$1")
stub=$(mktemp -d)
trap 'rm -rf "$stub"' EXIT
failures=0
checks=0

cat >"$stub/apt-get" <<'STUB'
#!/usr/bin/env bash
echo "apt-get $*" >>"$STUB_LOG"
case "$1" in
  update)
    [ -n "${STUB_UPDATE_FAILS:-}" ] || exit 0
    echo "E: Failed to fetch .../Packages.xz  File has unexpected size (123 != 456). Mirror sync in progress?" >&2
    exit 100 ;;
  install)
    for p in "$@"; do
      [ "$p" = no-such-package ] && { echo "E: Unable to locate package $p" >&2; exit 100; }
    done
    exit 0 ;;
esac
STUB
cat >"$stub/apt-cache" <<'STUB'
#!/usr/bin/env bash
if [ "$2" = no-such-package ]; then echo "  Candidate: (none)"; else echo "  Candidate: 1.0-1"; fi
STUB
cat >"$stub/dpkg-query" <<'STUB'
#!/usr/bin/env bash
# Installed: only what STUB_INSTALLED names (its last argument is the package).
for p in ${STUB_INSTALLED:-}; do [ "$p" = "${!#}" ] && { echo -n "install ok installed"; exit 0; }; done
exit 1
STUB
cat >"$stub/dpkg" <<'STUB'
#!/usr/bin/env bash
echo "dpkg $*" >>"$STUB_LOG"
case "$1" in
  --print-architecture) echo amd64 ;;
  --print-foreign-architectures) for a in ${STUB_FOREIGN:-}; do echo "$a"; done ;;
esac
STUB
chmod +x "$stub"/*

run() {  # EXPECTED_STATUS LABEL PACKAGES...: runs the script, checks status
  local expected=$1 label=$2
  shift 2
  checks=$((checks + 1))
  : >"$stub/log"
  STUB_LOG=$stub/log PATH="$stub:$PATH" UHIGH_APT_PAUSE=0 \
    bash "$script" "$@" >"$stub/out" 2>"$stub/err"
  status=$?
  if [ "$status" -ne "$expected" ]; then
    echo "FAIL $label: status $status, expected $expected"; cat "$stub/out" "$stub/err"
    failures=$((failures + 1))
  fi
}
expect() {  # LABEL CONDITION...: one more check
  local label=$1
  shift
  checks=$((checks + 1))
  "$@" || { echo "FAIL $label"; cat "$stub/log" "$stub/err"; failures=$((failures + 1)); }
}
export STUB_UPDATE_FAILS=1

run 0 "update fails, install succeeds" cmake libgmp-dev:arm64
expect "update tried three times" [ "$(grep -c '^apt-get update' "$stub/log")" -eq 3 ]
expect "both packages installed" grep -qx 'apt-get install -y --no-install-recommends cmake libgmp-dev:arm64' "$stub/log"
expect "arm64 added before the install" \
  [ "$(grep -E '^dpkg --add-architecture|^apt-get install' "$stub/log" | cut -d' ' -f2 | head -n 1)" \
    = --add-architecture ]

run 1 "a package nobody offers" cmake no-such-package
expect "one line of its own" [ "$(grep -c '^cannot install' "$stub/err")" -eq 1 ]
expect "the last line names that package alone" \
  [ "$(tail -n 1 "$stub/err")" = 'cannot install no-such-package: no package list offers it' ]


STUB_INSTALLED="cmake g++ libgmp-dev:arm64" run 0 "all installed" cmake g++ libgmp-dev:arm64
expect "nothing asked of apt-get or dpkg" [ ! -s "$stub/log" ]

STUB_FOREIGN=arm64 run 0 "a known architecture" cmake libgmp-dev:arm64 libgmp-dev:amd64
expect "no architecture added" [ "$(grep -c 'add-architecture' "$stub/log")" -eq 0 ]

STUB_UPDATE_FAILS= STUB_INSTALLED=cmake run 0 "only the missing ones" cmake g++
expect "one update, install of g++ only" \
  [ "$(cat "$stub/log")" = $'apt-get update\napt-get install -y --no-install-recommends g++' ]

echo "$(( checks - failures )) passed, $failures failed"
[ "$failures" -eq 0 ]
