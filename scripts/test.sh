#!/usr/bin/env bash
# Every test: the include and format checks, set-up, both builds, the native tests under ASan/UBSan, bounded fuzz
# runs, then the Windows unit and end-to-end tests under Wine (32-bit prefix, and a 64-bit one where the setup runs
# under WoW64).
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=${BUILD_DIR:-$ROOT/build}
start=$(date +%s)

bash "$ROOT/scripts/check-includes.sh" || { echo "layering broken"; exit 1; }
# The format check needs clang-format, which the set-up installs.
command -v clang-format >/dev/null || BUILD_DIR=$B bash "$ROOT/scripts/bootstrap.sh" || { echo "set-up failed"; exit 1; }
bash "$ROOT/scripts/check-format.sh" || { echo "formatting differs from the house style"; exit 1; }
BUILD_DIR=$B bash "$ROOT/scripts/build.sh" --fuzz || { echo "build failed"; exit 1; }

failed=0
total_pass=0
total_fail=0
total_skip=0
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
# Wine starts the 32-bit setup through its 32-bit loader, which needs the kernel's 32-bit emulation. Where the
# kernel has it switched off, the 32-bit tree's Wine entries are skipped and the same suites run on the 64-bit
# test build of the same sources in 64-bit prefixes: everything but what is particular to a 32-bit process.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  run_suite "Windows tree, host checks" --test-dir "$B/win32" -L host
  skipped=$(ctest --test-dir "$B/win32" -N -LE host | sed -n 's/^Total Tests: //p')
  total_skip=$((total_skip + ${skipped:-0}))
  echo "== 32-bit setup under Wine: SKIPPED (${skipped:-0} entries) =="
  echo "this machine cannot start 32-bit programs (the kernel's 32-bit emulation is off:" \
    "$(dmesg 2>/dev/null | grep -m1 -o '32-bit emulation disabled.*' || echo 'exec of /lib/ld-linux.so.2 fails'))"
  run_suite "64-bit test build under Wine (64-bit prefixes)" --test-dir "$B/win64" -LE host
  program_files='C:\Program Files\'
else
  run_suite "Windows under Wine" --test-dir "$B/win32"
  program_files='C:\Program Files (x86)\'
fi

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
# The cancel route also makes the main job's second walk, at 144 DPI; the upgrade's is left out (--dpi 96), as two
# more installs would add half a minute and the suites already walk at 144 DPI.
run_demo "--route cancel" "route: Welcome Licence Interrupted" "nothing was installed" "screenshots at 144 DPI" \
  -- --route cancel
run_demo "--upgrade --win64" "installed, then recorded as release 1.5.0.0100" \
  "route: Welcome Existing Licence Type Desktop Summary Progress Finish" \
  "-- install folder: ${program_files}"'Kelto Software\Kelto Quorbel\' "2.2.4.0225" -- --upgrade --win64 --dpi 96

echo "whole test command: $(( $(date +%s) - start )) s"
echo "total: $total_pass passed, $total_fail failed, $total_skip skipped"
exit $failed
