#!/usr/bin/env bash
# Throwaway Wine prefixes for the tests and the demo.
#   wineprefix.sh create ARCH DIR   fresh prefix at DIR (win32 or win64), copied from a cached template
#   wineprefix.sh start DIR         Xvfb for DIR (display number in DIR.display) and a persistent wineserver
#   wineprefix.sh stop DIR          ends DIR's wineserver and Xvfb, nothing else
#   wineprefix.sh remove DIR        stop, then delete the prefix
#   wineprefix.sh dpi DIR N         the display's DPI for programs started in DIR from now on (96 = 100 %)
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$HERE/.." && pwd)
TEMPLATES=${KELTO_TEMPLATE_DIR:-$ROOT/build/wine-templates}
# Bump when the template's settings change, so cached templates are made again.
TEMPLATE_VERSION=3

reg() { wine reg "$@" >/dev/null 2>&1; }

make_template() {
  local arch=$1 dir=$2
  rm -rf "$dir" "$dir.home"
  mkdir -p "$(dirname "$dir")"
  export KELTO_PREFIX=$dir WINEARCH=$arch
  # shellcheck source=wine-env.sh
  . "$HERE/wine-env.sh"
  unset DISPLAY
  wineboot -i >/dev/null 2>&1
  wineserver -w
  reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # Without a window manager every hide stalls; a virtual desktop avoids it and gives a fixed screen.
  reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
  reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f
  reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  wineserver -w
  # Wine's own fonts (Tahoma, Marlett) so dialogs look the same on every machine.
  local f
  for f in /usr/share/wine/fonts/*.ttf; do
    [ -e "$f" ] && ln -sf "$f" "$dir/drive_c/windows/Fonts/$(basename "$f")"
  done
  # wineboot links Desktop, Documents and the like to the template's home: copies of the template would share
  # them. Real folders keep every prefix's desktop its own.
  local link
  for link in "$dir"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
  # Z: is the Unix root and a fixed drive: nothing we run may write outside the prefix.
  rm -f "$dir/dosdevices/z:"
  # A second fixed drive and a CD drive, both folders of the prefix, for the destination page.
  mkdir -p "$dir/drive_d" "$dir/drive_e"
  ln -sfn ../drive_d "$dir/dosdevices/d:"
  ln -sfn ../drive_e "$dir/dosdevices/e:"
  local view=
  [ "$arch" = win64 ] && view=/reg:64
  reg add 'HKLM\Software\Wine\Drives' /v d: /d hd /f $view
  reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f $view
  wineserver -w
  echo "$TEMPLATE_VERSION" >"$dir/.kelto-template"
}

cmd=${1:-}
case "$cmd" in
  create)
    arch=${2:?arch}; dir=${3:?dir}
    tmpl=$TEMPLATES/$arch
    mkdir -p "$TEMPLATES"
    (
      flock 9
      [ "$(cat "$tmpl/.kelto-template" 2>/dev/null)" = "$TEMPLATE_VERSION" ] || make_template "$arch" "$tmpl"
    ) 9>"$TEMPLATES/$arch.lock"
    "$0" remove "$dir" 2>/dev/null || true
    mkdir -p "$(dirname "$dir")"
    cp -a "$tmpl" "$dir"
    rm -f "$dir/.kelto-template"
    echo "$arch" >"$dir.arch"
    ;;
  start)
    dir=${2:?dir}
    if [ ! -f "$dir.display" ] || ! kill -0 "$(cat "$dir.xvfb" 2>/dev/null)" 2>/dev/null; then
      # Detached and with no inherited output: ctest waits for every holder of its pipes.
      rm -f "$dir.display"
      setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir.display.new" </dev/null >/dev/null 2>&1 &
      echo $! >"$dir.xvfb"
      for _ in $(seq 100); do [ -s "$dir.display.new" ] && break; sleep 0.1; done
      [ -s "$dir.display.new" ] || { echo "Xvfb did not start" >&2; exit 1; }
      tr -d '\n' <"$dir.display.new" >"$dir.display"
      rm -f "$dir.display.new"
    fi
    export KELTO_PREFIX=$dir
    . "$HERE/wine-env.sh"
    setsid wineserver -p </dev/null >/dev/null 2>&1
    ;;
  stop)
    dir=${2:?dir}
    if [ -d "$dir" ]; then
      KELTO_PREFIX=$dir WINEPREFIX=$dir wineserver -k 2>/dev/null || true
      KELTO_PREFIX=$dir WINEPREFIX=$dir wineserver -w 2>/dev/null || true
    fi
    if [ -f "$dir.xvfb" ]; then
      kill "$(cat "$dir.xvfb")" 2>/dev/null || true
      rm -f "$dir.xvfb" "$dir.display"
    fi
    ;;
  dpi)
    dir=${2:?dir}; dpi=${3:?dpi}
    # Wine hands every program the DPI of this setting, which is what a display's scale sets on Windows.
    (
      export KELTO_PREFIX=$dir
      . "$HERE/wine-env.sh"
      reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
      wineserver -w
    )
    ;;
  remove)
    dir=${2:?dir}
    "$0" stop "$dir"
    rm -rf "$dir" "$dir.home" "$dir.arch"
    ;;
  *)
    echo "usage: $0 create ARCH DIR | start DIR | stop DIR | remove DIR | dpi DIR N" >&2; exit 2 ;;
esac
