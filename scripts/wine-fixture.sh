#!/usr/bin/env bash
# ctest fixture: a fresh prefix (with its display and wineserver) for one suite, removed afterwards.
#   wine-fixture.sh setup ARCH DIR | teardown ARCH DIR
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
case "$1" in
  setup)
    "$HERE/wineprefix.sh" create "$2" "$3"
    "$HERE/wineprefix.sh" start "$3"
    echo "prefix $3 ready on display :$(cat "$3.display")"
    ;;
  teardown)
    # Keep the prefix when asked, to look at what a failed test left behind.
    if [ -n "${KELTO_KEEP_PREFIX:-}" ]; then "$HERE/wineprefix.sh" stop "$3"; else "$HERE/wineprefix.sh" remove "$3"; fi
    ;;
  *) echo "usage: $0 setup|teardown ARCH DIR" >&2; exit 2 ;;
esac
