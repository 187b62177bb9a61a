#!/usr/bin/env bash
# Extraction figures in one run, nothing asserted: on a package of real binaries (about SIZE MB of shared
# libraries and programs) and on one four times larger, xz's own decoder natively, our one-pass read natively,
# then under Wine the floor (liblzma streaming the package into one file), ExtractPackage (time and peak working
# set) and an NSIS silent install of the same files, with the ratios; then the time from process start to the
# first visible window, the setup's against an NSIS Modern UI welcome page. Each comparison alternates its runs.
#   tools/bench_extract.sh [size-MB] [runs]
# BENCH_BUILD may name an already configured native build tree (default: build/bench, Release, no sanitizers).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BENCH_BUILD:-$ROOT/build/bench}
SIZE_MB=${1:-44}
RUNS=${2:-5}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelto-bench.XXXXXX")
pfx=$WORK/prefix
cleanup() {
  [ -d "$pfx" ] && "$ROOT/scripts/wineprefix.sh" remove "$pfx" >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DKELTO_SANITIZE=OFF >/dev/null
fi
cmake --build "$BUILD" -j2 --target kelto-pack kelto-bench-decode >/dev/null

# The 32-bit setup where 32-bit programs start; elsewhere the 64-bit test build of the same sources.
if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  WIN_BUILD=${BENCH_WIN_BUILD:-$ROOT/build/win32} arch=win32 what="i686 build, 32-bit prefix"
else
  WIN_BUILD=${BENCH_WIN_BUILD:-$ROOT/build/win64} arch=win64
  what="x86-64 test build, 64-bit prefix: this machine cannot start 32-bit programs"
fi
wine_ok=0
if [ -f "$WIN_BUILD/CMakeCache.txt" ]; then
  cmake --build "$WIN_BUILD" -j2 --target bench_extract setup >/dev/null && wine_ok=1
else
  echo "(no Windows tree at $WIN_BUILD: bash scripts/build.sh makes it; the Wine figures are left out)"
fi

# NSIS installers are 32-bit programs; the benchmark installs makensis where it can run them.
nsis=0
if [ $wine_ok = 1 ] && [ $arch = win32 ]; then
  if ! command -v makensis >/dev/null && [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq nsis >/dev/null 2>&1 || true
  fi
  command -v makensis >/dev/null && nsis=1
fi
[ $nsis = 1 ] || echo "(NSIS left out: $([ $arch = win32 ] && echo 'makensis is not available' || echo 'its installers are 32-bit programs'))"

since() { awk -v a="$EPOCHREALTIME" -v b="$1" 'BEGIN { printf "%.3f\n", a - b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
seconds_of() { sed -n 's/.*median \([0-9.]*\) s.*/\1/p' | head -1; }

# Mixed binaries, each between 64 KB and 4 MB, in a fixed order; only plain names, each once.
find /usr/lib/x86_64-linux-gnu /usr/lib/i386-linux-gnu /usr/bin /usr/lib -maxdepth 1 -type f -size +64k -size -4M \
  2>/dev/null | sort >"$WORK/candidates"
payload() {
  local dir=$1 limit=$(($2 * 1024 * 1024)) total=0 name lower
  mkdir -p "$dir"
  while IFS= read -r f; do
    name=$(basename "$f")
    [[ $name =~ ^[A-Za-z0-9._+-]+$ && $name != *. ]] || continue
    lower=${name,,}
    [ -e "$WORK/seen.$lower" ] && continue
    : >"$WORK/seen.$lower"
    cp "$f" "$dir/$name"
    total=$((total + $(stat -c %s "$f")))
    [ "$total" -ge "$limit" ] && break
  done <"$WORK/candidates"
  rm -f "$WORK"/seen.*
  echo "$total"
}

# The runs' single lines as one: the median, least and most of their times and the largest peak.
summary() {
  local times peak
  times=$(sed -n 's/.*median \([0-9.]*\) s.*/\1/p' <<<"$2" | sort -n)
  [ -n "$times" ] || { echo "$1: no figures ($(head -1 <<<"$2"))"; return; }
  peak=$(sed -n 's/.*peak working set \([0-9.]*\) MB.*/\1/p' <<<"$2" | sort -n | tail -1)
  # A child whose counters could not be read reports 0.
  [ "$peak" != 0.0 ] && peak="$peak MB" || peak="not read"
  echo "$1: median $(median <<<"$times") s over $(wc -l <<<"$times") runs (min $(head -1 <<<"$times"), max" \
    "$(tail -1 <<<"$times")), peak working set $peak"
}

# From inside the prefix: Wine cannot start in a host folder once drive Z: is gone.
run_win() { (cd "$pfx/drive_c" && "$ROOT/scripts/winerun.sh" "$pfx" "$WIN_BUILD/bench_extract.exe" "$@" | tr -d '\r'); }

if [ $wine_ok = 1 ]; then
  "$ROOT/scripts/wineprefix.sh" create "$arch" "$pfx" >/dev/null
  "$ROOT/scripts/wineprefix.sh" start "$pfx" >/dev/null
  mkdir -p "$pfx/drive_c/bench"
  cp "$WIN_BUILD/bench_extract.exe" "$pfx/drive_c/bench/"
fi

for size in "$SIZE_MB" $((SIZE_MB * 4)); do
  rm -rf "$WORK/in"
  total=$(payload "$WORK/in" "$size")
  echo
  echo "== $(ls "$WORK/in" | wc -l) files, $((total / 1048576)) MB: packed (LZMA-alone, lc 3, lp 0, pb 2, 8 MiB dictionary)"
  "$BUILD/kelto-pack" "$WORK/in" -o "$WORK/package.pkg"
  echo "package: $(($(stat -c %s "$WORK/package.pkg") / 1048576)) MB; $RUNS runs each, page cache warm"
  cat "$WORK/package.pkg" >/dev/null
  xz_s=$(for _ in $(seq "$RUNS"); do
    s=$EPOCHREALTIME
    xz --format=lzma -dc "$WORK/package.pkg" >/dev/null
    since "$s"
  done | median)
  echo "xz --format=lzma -dc to /dev/null (native): median $xz_s s"
  "$BUILD/kelto-bench-decode" "$WORK/package.pkg" "$RUNS"
  [ $wine_ok = 1 ] || continue

  echo "-- under Wine ($what), warm wineserver; one run of each in turn, $RUNS times"
  cp "$WORK/package.pkg" "$pfx/drive_c/bench/package.pkg"
  if [ $nsis = 1 ]; then
    cat >"$WORK/silent.nsi" <<EOF
Unicode true
SetCompressor /SOLID lzma
OutFile "$WORK/nsis.exe"
InstallDir "C:\\nsis-out"
RequestExecutionLevel admin
Section
  SetOutPath \$INSTDIR
  File "$WORK/in/*"
SectionEnd
EOF
    makensis -V1 "$WORK/silent.nsi" >/dev/null
    cp "$WORK/nsis.exe" "$pfx/drive_c/bench/nsis.exe"
  fi
  # Alternating, so that a change in the machine's load during the runs weighs on each of them alike.
  floor="" extract="" whole="" nsis_out=""
  for _ in $(seq "$RUNS"); do
    floor+=$(run_win floor 'C:\bench\package.pkg' 1)$'\n'
    extract+=$(run_win extract 'C:\bench\package.pkg' 1)$'\n'
    whole+=$(run_win run 1 'C:\bench\bench_extract.exe' extract 'C:\bench\package.pkg' 1 | grep '^whole process')$'\n'
    [ $nsis = 0 ] || nsis_out+=$(run_win run 1 'C:\bench\nsis.exe' /S)$'\n'
  done
  summary "liblzma stream into one file (the floor), in-process" "$floor"
  summary "ExtractPackage, in-process" "$extract"
  summary "ExtractPackage, whole process" "$whole"
  floor_s=$(summary x "$floor" | seconds_of) extract_s=$(summary x "$extract" | seconds_of)
  echo "ExtractPackage / floor: $(ratio "$extract_s" "$floor_s"); ExtractPackage / native xz: $(ratio "$extract_s" "$xz_s")"
  if [ $nsis = 1 ]; then
    summary "NSIS silent install, whole process" "$nsis_out"
    echo "NSIS / ExtractPackage, whole process: $(ratio "$(summary x "$nsis_out" | seconds_of)" \
      "$(summary x "$whole" | seconds_of)")"
  fi
done

if [ $wine_ok = 1 ]; then
  echo
  echo "== start to the first visible window ($what)"
  cp "$WIN_BUILD/setup.exe" "$pfx/drive_c/bench/setup.exe"
  if [ $nsis = 1 ]; then
    cat >"$WORK/welcome.nsi" <<EOF
Unicode true
!include MUI2.nsh
OutFile "$WORK/welcome.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_LANGUAGE "English"
Section
SectionEnd
EOF
    makensis -V1 "$WORK/welcome.nsi" >/dev/null
    cp "$WORK/welcome.exe" "$pfx/drive_c/bench/welcome.exe"
  fi
  ours="" theirs=""
  for _ in $(seq "$RUNS"); do
    ours+=$(run_win window 1 'C:\bench\setup.exe')$'\n'
    [ $nsis = 0 ] || theirs+=$(run_win window 1 'C:\bench\welcome.exe')$'\n'
  done
  summary "setup.exe (Welcome page), to the first visible window" "$ours"
  [ $nsis = 0 ] || summary "NSIS Modern UI welcome page, to the first visible window" "$theirs"
fi
