#!/usr/bin/env bash
# House style: every tracked C and C++ source is as clang-format (Debian 12's, version 14) writes it with
# .clang-format. Names each file that differs; `clang-format -i FILE` fixes one.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"
CLANG_FORMAT=${CLANG_FORMAT:-clang-format}

if ! command -v "$CLANG_FORMAT" >/dev/null; then
  echo "format check: $CLANG_FORMAT not found (scripts/bootstrap.sh installs it)"
  exit 1
fi
# Another major version breaks lines differently: say so rather than blame the files.
version=$("$CLANG_FORMAT" --version | sed -nE 's/.*version ([0-9]+).*/\1/p')
[ "$version" = 14 ] ||
  echo "format check: warning: $CLANG_FORMAT is version ${version:-unknown}; the house style is kept with 14"

list=$(git ls-files '*.h' '*.cpp' '*.c') || { echo "format check: no git checkout to list the sources of"; exit 1; }
mapfile -t files <<<"$list"

# One run over every file (a run per file takes seconds); it names each file that differs in its warnings.
out=$(printf '%s\n' "${files[@]}" | xargs -r "$CLANG_FORMAT" --style=file --dry-run --Werror 2>&1)
status=$?
violation='s/^(.*):[0-9]+:[0-9]+: (error|warning): code should be clang-formatted.*/\1/p'
mapfile -t differ < <(sed -nE "$violation" <<<"$out" | sort -u)

for file in "${differ[@]}"; do echo "$file: not in the house style"; done
if [ ${#differ[@]} -gt 0 ]; then
  echo "format check: ${#differ[@]} of ${#files[@]} files differ from the house style (clang-format -i FILE fixes one)"
  exit 1
fi
if [ $status != 0 ]; then
  echo "$out"
  echo "format check: $CLANG_FORMAT failed (status $status)"
  exit 1
fi
echo "format check: ${#files[@]} files in the house style"
