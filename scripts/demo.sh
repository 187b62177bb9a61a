#!/usr/bin/env bash
# The main job: build setup.exe with the stand-in package, run it in a fresh Wine prefix, walk the wizard
# automatically (a screenshot of every page) and report what is now on the system.
#   demo.sh [--route default|custom|cancel] [--upgrade] [--languages] [--interactive] [--keep] [--win64]
#           [--setup FILE] [--dpi N]
# The pages are saved at 96 DPI, then once more at 144 DPI from a second prefix whose display is set to 144 DPI.
#     --upgrade      install, record that installation as the earlier release 1.5.0.0100, run the setup again:
#                    it removes the earlier release itself, then installs this one
#     --languages    lay LangConfig.xml (language list: English, French, German) and the language files beside
#                    the setup, so the language dialog comes first
#     --interactive  no automatic walk: the wizard opens on $DISPLAY for a person to click through
#     --keep         keep the prefix (build/demo/PREFIX) afterwards, to look around in it
#     --win64        a 64-bit prefix: the setup runs under WoW64
#     --setup FILE   walk FILE (e.g. one made by make-setup.sh) instead of the setup.exe built here
#     --dpi N        the display's DPI for the walk or the interactive run (96 = 100 %, 144 = 150 %); no second walk
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=${BUILD_DIR:-$ROOT/build}
route=default languages=0 interactive=0 keep=0 arch=win32 setup= dpi=
while [ $# -gt 0 ]; do
  case "$1" in
    --route) route=$2; shift ;;
    --upgrade) route=upgrade ;;
    --languages) languages=1 ;;
    --interactive) interactive=1 ;;
    --keep) keep=1 ;;
    --win64) arch=win64 ;;
    --setup) setup=$(realpath -e "$2") || { echo "no setup at $2" >&2; exit 2; }; shift ;;
    --dpi) dpi=$2; shift; [[ "$dpi" =~ ^[0-9]+$ ]] && [ "$dpi" -ge 96 ] && [ "$dpi" -le 480 ] || { echo "--dpi takes 96 to 480" >&2; exit 2; } ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

start=$(date +%s)
# Only what the walk needs: the packager for the stand-in package, setup.exe and the walker.
BUILD_DIR=$B bash "$ROOT/scripts/build.sh" --demo
tree=win32
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  # Wine cannot start the 32-bit setup here; the 64-bit test build of the same sources can run, in a 64-bit prefix.
  # A setup given here must be a 64-bit test build too (machine 0x8664 in its PE header).
  if [ -n "$setup" ]; then
    pe=$(od -An -tu4 -j60 -N4 "$setup" | tr -d ' ')
    machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$setup" | tr -d ' ')
    [ "$machine" = 8664 ] || { echo "this machine cannot start 32-bit programs, so it cannot run $setup" >&2; exit 1; }
  fi
  echo "[demo] this machine cannot start 32-bit programs: walking the 64-bit test build of the setup instead"
  tree=win64 arch=win64
fi
walker=$B/$tree/walk.exe
if [ -n "$setup" ]; then
  # The walker starts the setup.exe beside it.
  mkdir -p "$B/demo/walker"
  cp "$B/$tree/walk.exe" "$B/demo/walker/"
  cp "$setup" "$B/demo/walker/setup.exe"
  walker=$B/demo/walker/walk.exe
fi

pfx=$B/demo/$arch
echo "[demo] fresh $arch prefix: $pfx"
"$ROOT/scripts/wineprefix.sh" create "$arch" "$pfx"
cleanup() {
  if [ $keep = 1 ]; then "$ROOT/scripts/wineprefix.sh" stop "$pfx"; else "$ROOT/scripts/wineprefix.sh" remove "$pfx"; fi
}
trap cleanup EXIT

# The setup (and with --languages the language files) in C:\kelto of a prefix, as a download would be.
stage_setup() {
  local stage=$1/drive_c/kelto
  mkdir -p "$stage"
  cp "$(dirname "$walker")/setup.exe" "$stage/"
  if [ $languages = 1 ]; then
    cp "$ROOT"/resources/lang/*.xml "$stage/"
    printf '<?xml version="1.0" encoding="utf-8"?>\n<LangConfig LangType="2">\n  <LangId value="40811,40814,40816"/>\n</LangConfig>\n' \
      >"$stage/LangConfig.xml"
  fi
}
# Walks the route in a started prefix, screenshots to a host folder.
walk_in() {
  local prefix=$1 shots=$2
  rm -rf "$shots"
  # walk.exe writes through Wine's name for a host folder outside every drive.
  local shots_win='\\?\unix'$(printf '%s' "$shots" | tr / '\\')
  "$ROOT/scripts/winerun.sh" "$prefix" "$walker" "$route" "$shots_win" | tr -d '\r' | grep -v '^screenshots:'
}

stage_setup "$pfx"
[ -n "$dpi" ] && "$ROOT/scripts/wineprefix.sh" dpi "$pfx" "$dpi"

export KELTO_PREFIX=$pfx
if [ $interactive = 1 ]; then
  [ -n "${DISPLAY:-}" ] || { echo "--interactive needs a display (DISPLAY is not set)" >&2; exit 1; }
  . "$ROOT/scripts/wine-env.sh"
  echo "[demo] the setup opens on $DISPLAY; click through it, it ends with its last page"
  wine 'C:\kelto\setup.exe' >/dev/null 2>&1 || true
else
  "$ROOT/scripts/wineprefix.sh" start "$pfx"
  shots=$B/$tree/screenshots/demo-$route${dpi:+-${dpi}dpi}
  echo "[demo] walking the $route route${dpi:+ at $dpi DPI}"
  walk_in "$pfx" "$shots"
fi

. "$ROOT/scripts/wine-env.sh"
echo
echo "== What is on the system now =="
report() { printf -- '-- %s\n' "$1"; }
# A record that is not there is an answer, not a failure: a cancelled setup writes none.
folder=$( (wine reg query 'HKLM\Software\Kelto Software\Kelto Quorbel' /v InstallPath 2>/dev/null || true) |
         tr -d '\r' | sed -n 's/^ *InstallPath *REG_SZ *//p')
if [ -n "$folder" ]; then
  # Wine finds the folder whatever the case of its names on the host.
  host=$(winepath -u "$folder" 2>/dev/null | tr -d '\r')
  report "install folder: $folder"
  if [ -d "$host" ]; then (cd "$host" && find . -type f | sort | sed 's|^\./|   |'); else echo "   (not there)"; fi
else
  report "nothing was installed: no product record, so no install folder"
fi
report "product records"
for key in 'HKLM\Software\Kelto Software\Kelto Quorbel' \
           'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelto Quorbel' \
           'HKCU\Software\Kelto Software\Kelto Quorbel'; do
  wine reg query "$key" /s 2>/dev/null | tr -d '\r' | sed 's/^/   /' || echo "   $key: (none)"
done
report "virtual printer, port and default printer"
wine reg query 'HKLM\System\CurrentControlSet\Control\Print\Printers' 2>/dev/null | tr -d '\r' | grep -i kelto | sed 's/^/   /' || echo "   (no printer)"
wine reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Ports' 2>/dev/null | tr -d '\r' | grep -i KELTO | sed 's/^/   port:/' || true
wine reg query 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' /v Device 2>/dev/null | tr -d '\r' | grep Device | sed 's/^ */   default: /' || true
report "PDF association"
wine reg query 'HKLM\Software\Classes\.pdf' /ve 2>/dev/null | tr -d '\r' | grep -i 'REG_SZ' | sed 's/^ */   .pdf: /' || echo "   (none)"
wine reg query 'HKLM\Software\Classes\KeltoQuorbel.Document\shell\open\command' /ve 2>/dev/null | tr -d '\r' | grep REG_SZ | sed 's/^ */   open: /' || true
report "shortcuts"
find "$pfx/drive_c" -name '*.lnk' -path '*Kelto*' 2>/dev/null | sort | sed "s|$pfx/drive_c|   C:|" || true
if [ $interactive = 0 ]; then
  report "screenshots: $shots"
  ls "$shots" 2>/dev/null | sed 's/^/   /' || true
fi
if [ $interactive = 0 ] && [ -z "$dpi" ]; then
  # The same walk on a display at 150 %, in a prefix of its own, for its screenshots.
  pfx144=$B/demo/$arch-144dpi
  shots144=$B/$tree/screenshots/demo-$route-144dpi
  echo "[demo] the $route route again at 144 DPI (150 %): fresh prefix $pfx144"
  "$ROOT/scripts/wineprefix.sh" create "$arch" "$pfx144"
  stage_setup "$pfx144"
  "$ROOT/scripts/wineprefix.sh" dpi "$pfx144" 144
  "$ROOT/scripts/wineprefix.sh" start "$pfx144"
  walk_in "$pfx144" "$shots144" | sed 's/^/   /'
  "$ROOT/scripts/wineprefix.sh" remove "$pfx144"
  report "screenshots at 144 DPI: $shots144"
  ls "$shots144" 2>/dev/null | sed 's/^/   /' || true
fi
echo "[demo] done in $(( $(date +%s) - start )) s"
