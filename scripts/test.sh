#!/usr/bin/env bash
# Every test: set-up, both builds, the native tests under ASan/UBSan, bounded fuzz runs, then the Windows
# unit and end-to-end tests under Wine (32-bit prefix, and a 64-bit one where the setup runs under WoW64).
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=${BUILD_DIR:-$ROOT/build}
start=$(date +%s)

BUILD_DIR=$B bash "$ROOT/scripts/build.sh" --fuzz || { echo "build failed"; exit 1; }

failed=0
total_pass=0
total_fail=0
run_suite() {
  local name=$1; shift
  echo "== $name =="
  local log
  log=$(mktemp)
  ctest "$@" --output-on-failure 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    local f t
    f=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.*tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    total_pass=$((total_pass + t - f)); total_fail=$((total_fail + f))
  fi
  [ "$rc" = 0 ] || failed=1
  rm -f "$log"
}

run_suite "native (ASan/UBSan)" --test-dir "$B/native" -j2
run_suite "fuzz (bounded)" --test-dir "$B/fuzz" -j2
run_suite "Windows under Wine" --test-dir "$B/win32"

# The main job's options that no suite walks, each run once: it must end with status 0 and report what the
# route leaves on the system (every pattern given must be in its output).
run_demo() {
  local name=$1; shift
  local patterns=()
  while [ "$1" != -- ]; do patterns+=("$1"); shift; done
  shift
  echo "== demo.sh $name =="
  local log
  log=$(mktemp)
  BUILD_DIR=$B bash "$ROOT/scripts/demo.sh" "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]} missing=""
  for pattern in "${patterns[@]}"; do grep -qF -- "$pattern" "$log" || missing+=" [$pattern]"; done
  if [ "$rc" = 0 ] && [ -z "$missing" ]; then
    total_pass=$((total_pass + 1))
    echo "demo.sh $name: passed"
  else
    total_fail=$((total_fail + 1)); failed=1
    echo "demo.sh $name: FAILED (status $rc; missing from the report:${missing:- nothing})"
  fi
  rm -f "$log"
}
run_demo "--route cancel" "route: Welcome Licence Interrupted" "nothing was installed" -- --route cancel
run_demo "--upgrade --win64" "installed, then recorded as release 1.5.0.0100" \
  "route: Welcome Existing Licence Type Desktop Summary Progress Finish" \
  '-- install folder: C:\Program Files (x86)\Kelto Software\Kelto Quorbel\' "2.2.4.0225" -- --upgrade --win64

echo "whole test command: $(( $(date +%s) - start )) s"
echo "total: $total_pass passed, $total_fail failed"
exit $failed
