# Sourced: the environment every Wine run of this project uses. Needs KELTO_PREFIX (the prefix folder).
# HOME and the XDG folders point inside the prefix's own folder so that nothing reaches the real home.
: "${KELTO_PREFIX:?KELTO_PREFIX must name the Wine prefix}"
export WINEPREFIX=$KELTO_PREFIX
# Where the kernel cannot start 32-bit programs, Debian's wrapper still picks the 32-bit loader: use the
# 64-bit one (64-bit prefixes only).
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  case ":$PATH:" in *":$(dirname "${BASH_SOURCE[0]}")/wine64-only:"*) ;; *) PATH=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only:$PATH ;; esac
fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
export HOME=$KELTO_PREFIX.home
export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$HOME/.run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
if [ -z "${DISPLAY:-}" ] && [ -f "$KELTO_PREFIX.display" ]; then
  export DISPLAY=:$(cat "$KELTO_PREFIX.display")
fi
