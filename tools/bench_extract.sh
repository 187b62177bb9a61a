#!/usr/bin/env bash
# Decode speed of a ~40 MB package of real binaries: xz's own decoder against the setup's in-process decode.
# Prints figures only; nothing is asserted.
#   tools/bench_extract.sh [size-MB] [runs]
# BENCH_BUILD may name an already configured native build tree (default: build/bench, Release, no sanitizers).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BENCH_BUILD:-$ROOT/build/bench}
SIZE_MB=${1:-40}
RUNS=${2:-7}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/kelto-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DKELTO_SANITIZE=OFF >/dev/null
fi
cmake --build "$BUILD" -j2 --target kelto-pack kelto-bench-decode >/dev/null

# Mixed binaries: shared libraries and programs, each between 64 KB and 4 MB, in a fixed order, until the size
# is reached. Only plain names, each once.
mkdir "$WORK/in"
limit=$((SIZE_MB * 1024 * 1024))
total=0
while IFS= read -r f; do
  name=$(basename "$f")
  [[ $name =~ ^[A-Za-z0-9._+-]+$ && $name != *. ]] || continue
  lower=${name,,}
  [ -e "$WORK/seen.$lower" ] && continue
  : >"$WORK/seen.$lower"
  cp "$f" "$WORK/in/$name"
  total=$((total + $(stat -c %s "$f")))
  [ "$total" -ge "$limit" ] && break
done < <(find /usr/lib/x86_64-linux-gnu /usr/bin -maxdepth 1 -type f -size +64k -size -4M 2>/dev/null | sort)
rm -f "$WORK"/seen.*

echo "== packing $(ls "$WORK/in" | wc -l) files, $total bytes"
since() { awk -v a="$EPOCHREALTIME" -v b="$1" 'BEGIN { printf "%.3f\n", a - b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.3f", v[int((NR + 1) / 2)] }'; }

start=$EPOCHREALTIME
"$BUILD/kelto-pack" "$WORK/in" -o "$WORK/package.pkg"
echo "packing took $(since "$start") s"

echo "== decode, $RUNS runs each, page cache warm"
cat "$WORK/package.pkg" >/dev/null
for _ in $(seq "$RUNS"); do
  s=$EPOCHREALTIME
  xz --format=lzma -dc "$WORK/package.pkg" >/dev/null
  since "$s"
done | median | xargs -I{} echo "xz --format=lzma -dc to /dev/null: median {} s"
"$BUILD/kelto-bench-decode" "$WORK/package.pkg" "$RUNS"

# The setup's own extraction, i686 under Wine, when the Windows tree is built.
WIN_BUILD=${BENCH_WIN_BUILD:-$ROOT/build/win32}
if [ -f "$WIN_BUILD/bench_extract.exe" ]; then
  echo "== ExtractPackage (i686, Wine, 32-bit prefix, warm wineserver): decode and write every file"
  pfx=$WORK/prefix
  "$ROOT/scripts/wineprefix.sh" create win32 "$pfx" >/dev/null
  mkdir -p "$pfx/drive_c/bench"
  cp "$WORK/package.pkg" "$pfx/drive_c/bench/package.pkg"
  "$ROOT/scripts/wineprefix.sh" start "$pfx" >/dev/null
  "$ROOT/scripts/winerun.sh" "$pfx" "$WIN_BUILD/bench_extract.exe" 'C:\bench\package.pkg' "$RUNS" | tr -d '\r'
  "$ROOT/scripts/wineprefix.sh" remove "$pfx"
else
  echo "(build the Windows tree for the ExtractPackage figures under Wine: bash scripts/build.sh)"
fi
