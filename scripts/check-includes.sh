#!/usr/bin/env bash
# Layers point one way: every project include must name a folder that the including folder may use.
# Bottom to top: framework/base, core, engine/xml, i18n, engine, integration, removal, framework/ui,
# ui/controls, ui/pages, app. resources/ids.h and core/ headers of constants are open to all.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$ROOT"

# folder: the folders it may include besides itself
declare -A ALLOWED=(
  [framework/base]="resources"
  [core]="resources"
  [engine/xml]="core resources"
  [i18n]="core engine/xml resources"
  [engine]="framework/base core engine/xml i18n resources"
  [integration]="framework/base core engine/xml i18n engine resources"
  [removal]="framework/base core engine/xml i18n engine integration resources"
  [framework/ui]="framework/base core resources"
  [ui/controls]="framework/base core i18n framework/ui resources"
  [ui/pages]="framework/base core engine/xml i18n engine removal framework/ui ui/controls resources"
  [app]="framework/base core engine/xml i18n engine integration removal framework/ui ui/controls ui/pages resources"
)
# Longest folder first, so engine/xml is not taken for engine.
FOLDERS=(framework/base framework/ui engine/xml ui/controls ui/pages core i18n engine integration removal app)

layer_of() {
  local path=$1 f
  for f in "${FOLDERS[@]}"; do
    case "$path" in "$f"/*) echo "$f"; return ;; esac
  done
}

bad=0
checked=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  [ -n "$from" ] || continue
  checked=$((checked + 1))
  while IFS=: read -r line inc; do
    to=$(layer_of "$inc")
    [ -n "$to" ] || { [[ $inc == resources/* ]] && to=resources; }
    [ -n "$to" ] || continue
    [ "$to" = "$from" ] && continue
    case " ${ALLOWED[$from]} " in *" $to "*) continue ;; esac
    echo "$file:$line: $from may not include $inc"
    bad=$((bad + 1))
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"' "$file" | sed -E 's/^([0-9]+):.*"([^"]+)".*/\1:\2/')
done < <(git ls-files --cached --others --exclude-standard '*.h' '*.cpp' 2>/dev/null || find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##')

if [ $bad -gt 0 ]; then
  echo "include check: $bad include(s) against the layering in $checked files"
  exit 1
fi
echo "include check: $checked files, every include points down"
