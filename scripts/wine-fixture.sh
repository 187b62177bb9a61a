#!/usr/bin/env bash
# ctest fixture: a fresh prefix (with its display and wineserver) for one suite, removed afterwards.
#   wine-fixture.sh setup ARCH DIR [SMALL_D_KB] | teardown ARCH DIR
# With SMALL_D_KB the prefix's drive D: is a RAM drive of that many KB (root only), so that a test can run
# out of space for real; teardown takes it away again.
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

release_small_d() {
  if mountpoint -q "$1/drive_d" 2>/dev/null; then umount "$1/drive_d"; fi
}

case "$1" in
  setup)
    # A RAM drive left by a run that was killed: removing the old prefix must not stop at it.
    release_small_d "$3"
    "$HERE/wineprefix.sh" create "$2" "$3"
    if [ -n "${4:-}" ]; then
      if ! err=$(mount -t tmpfs -o "size=${4}k" tmpfs "$3/drive_d" 2>&1); then
        echo "could not mount a ${4} KB tmpfs as drive D: of $3 (needs root): ${err}" >&2
        exit 1
      fi
      echo "drive D: of $3 is a ${4} KB tmpfs"
    fi
    "$HERE/wineprefix.sh" start "$3"
    echo "prefix $3 ready on display :$(cat "$3.display")"
    ;;
  teardown)
    # Keep the prefix when asked, to look at what a failed test left behind (its RAM drive too).
    if [ -n "${KELTO_KEEP_PREFIX:-}" ]; then
      "$HERE/wineprefix.sh" stop "$3"
    else
      "$HERE/wineprefix.sh" stop "$3"
      release_small_d "$3"
      "$HERE/wineprefix.sh" remove "$3"
    fi
    ;;
  *) echo "usage: $0 setup ARCH DIR [SMALL_D_KB] | teardown ARCH DIR" >&2; exit 2 ;;
esac
