#!/usr/bin/env bash
# Runs a Windows program in one of our prefixes: winerun.sh PREFIX PROGRAM [ARGS...]
# Output goes to files first: Wine's helper processes inherit the pipes and would keep ctest waiting.
set -uo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export KELTO_PREFIX=$1; shift
[ -d "$KELTO_PREFIX" ] || { echo "no prefix at $KELTO_PREFIX" >&2; exit 1; }
. "$HERE/wine-env.sh"
export KELTO_PREFIX_ARCH=$(cat "$KELTO_PREFIX.arch" 2>/dev/null || echo win32)
out=$(mktemp -d)
timeout --kill-after=10 "${KELTO_RUN_TIMEOUT:-540}" wine "$@" >"$out/stdout" 2>"$out/stderr" </dev/null
rc=$?
cat "$out/stdout"
grep -v -e '^[0-9a-f]*:fixme:' -e '^[0-9a-f]*:err:' "$out/stderr" >&2 || true
rm -rf "$out"
[ $rc -eq 124 ] && echo "timed out: $*" >&2
exit $rc
