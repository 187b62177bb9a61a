#!/usr/bin/env bash
# Layers point one way: every project include must name a folder that the including folder may use.
# Bottom to top: framework/base, core, engine/xml, i18n, engine, integration, removal, framework/ui,
# ui/controls, ui/pages, app. resources/ is open to all and includes only itself; product code never includes
# tests/, tools/, payload/ or fuzz/, and never computes an include from a macro.
#   check-includes.sh [ROOT]   the tree to check (default: this repository)
# Every spelling the compilers accept is read: "a/b.h", "./b.h" and "../a/b.h" (looked up beside the including
# file first, as the compilers do), <a/b.h>, an absolute path into the tree, #include_next, #import, %:include,
# a directive split by a backslash-newline or broken by comments, in .h/.hpp/.c/.cc/.cpp/.rc and the like.
set -uo pipefail
ROOT=$(cd "${1:-$(dirname "${BASH_SOURCE[0]}")/..}" && pwd) || exit 2
cd "$ROOT"

# folder: the folders it may include besides itself
declare -A ALLOWED=(
  [resources]=""
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
PRODUCT=(framework/base framework/ui engine/xml ui/controls ui/pages core i18n engine integration removal app resources)
# Built beside the product, never into it.
OUTSIDE=(tests tools payload fuzz)

# Sets FOLDER to the product or outside folder that holds a path, or to nothing.
folder_of() {
  local f
  FOLDER=
  for f in "${PRODUCT[@]}" "${OUTSIDE[@]}"; do
    case "$1" in "$f"/*) FOLDER=$f; return ;; esac
  done
}

# Every file of the tree: tracked ones and new ones not ignored; without git (a copy), everything but builds.
list_files() {
  if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$ROOT" ]; then
    git ls-files --cached --others --exclude-standard
  else
    find . \( -name .git -o -path './build' -o -path './build-*' \) -prune -o -type f -print | sed 's#^\./##'
  fi
}

# Reads the tree's file list, then each source: joins backslash-newlines, drops comments (not inside literals)
# and prints, for every include directive, file, line, directive, spelling and what it names in the tree. A
# spelling found in the tree names that file alone, searched in the compilers' order (beside the including file
# for quotes, then the include folders: the root, and resources/ for resource scripts); one found nowhere names
# each folder it could mean.
SCAN='
function norm(p,   n, parts, out, k, i, s) {
  n = split(p, parts, "/"); k = 0
  for (i = 1; i <= n; i++) {
    if (parts[i] == "" || parts[i] == ".") continue
    if (parts[i] == "..") { if (k == 0) return ""; k--; continue }
    out[++k] = parts[i]
  }
  s = ""
  for (i = 1; i <= k; i++) s = s (i > 1 ? "/" : "") out[i]
  return s
}
function dirname(p) { return p ~ /\// ? substr(p, 1, match(p, /\/[^\/]*$/) - 1) : "" }
function under(dir, p) { return norm(dir == "" ? p : dir "/" p) }
function targets(file, quoted, p,   cand, n, i, t, all) {
  if (substr(p, 1, 1) == "/") {
    if (index(p, root "/") == 1) return norm(substr(p, length(root) + 2))
    if (index(p, rootp "/") == 1) return norm(substr(p, length(rootp) + 2))
    return ""
  }
  n = 0
  if (quoted) cand[++n] = under(dirname(file), p)
  cand[++n] = under("", p)
  if (file ~ /\.rc$/) cand[++n] = under("resources", p)
  for (i = 1; i <= n; i++) if (cand[i] != "" && (cand[i] in known)) return cand[i]
  all = ""
  for (i = 1; i <= n; i++) if (cand[i] != "") all = all (all == "" ? "" : " ") cand[i]
  return all
}
# The line without comments; the state of a block comment or a raw string carries to the next line.
function strip(s,   out, i, n, c, e, d, lit) {
  out = ""; i = 1; n = length(s)
  while (i <= n) {
    if (inblock) {
      e = index(substr(s, i), "*/")
      if (!e) return out
      inblock = 0; out = out " "; i += e + 1; continue
    }
    if (rawend != "") {
      e = index(substr(s, i), rawend)
      if (!e) return out
      i += e + length(rawend) - 1; rawend = ""; continue
    }
    c = substr(s, i, 1)
    if (c == "/" && substr(s, i + 1, 1) == "*") { inblock = 1; i += 2; continue }
    if (c == "/" && substr(s, i + 1, 1) == "/") return out
    if (c == "\"" && substr(s, i - 1, 1) == "R" && match(substr(s, i + 1), /^[^()\\ ]*\(/)) {
      d = substr(s, i + 1, RLENGTH - 1); rawend = ")" d "\""; i += RLENGTH + 1; continue
    }
    lit = ""
    if (c == "\"") lit = "\""
    else if (c == "\047" && substr(s, i - 1, 1) !~ /[A-Za-z0-9_]/) lit = "\047"
    else if (c == "<" && out ~ DIRECTIVE "[ \t]*$") lit = ">"
    if (lit != "") {
      for (e = i + 1; e <= n; e++) {
        d = substr(s, e, 1)
        if (d == "\\" && lit != ">") { e++; continue }
        if (d == lit) break
      }
      out = out substr(s, i, e - i + 1); i = e + 1; continue
    }
    out = out c; i++
  }
  return out
}
function scan(file,   line, num, logical, start, s, rest, word, c, e, spell, quoted) {
  inblock = 0; rawend = ""; num = 0; logical = ""
  while ((getline line < file) > 0) {
    num++
    sub(/\r$/, "", line)
    if (logical == "") start = num
    if (line ~ /\\$/) { logical = logical substr(line, 1, length(line) - 1); continue }
    s = strip(logical line); logical = ""
    if (!match(s, DIRECTIVE)) continue
    rest = substr(s, RSTART + RLENGTH)
    word = substr(s, RSTART, RLENGTH); sub(/^[ \t]*(#|%:)[ \t]*/, "", word)
    if (rest ~ /^[A-Za-z0-9_]/) continue
    sub(/^[ \t]+/, "", rest); sub(/[ \t]+$/, "", rest)
    c = substr(rest, 1, 1)
    e = c == "\"" ? index(substr(rest, 2), "\"") : c == "<" ? index(rest, ">") - 1 : 0
    if (e > 0) {
      spell = substr(rest, 2, e - 1); quoted = c == "\""
      printf "%s\037%d\037%s\037%s\037%s\n", file, start, word, substr(rest, 1, e + 1), targets(file, quoted, spell)
    } else {
      printf "%s\037%d\037%s\037%s\037%s\n", file, start, word, rest, "?"
    }
  }
  close(file)
}
BEGIN { DIRECTIVE = "^[ \t]*(#|%:)[ \t]*(include_next|include|import)" }
FNR == NR { known[$0] = 1; next }
{ scan($0) }
'

all=$(list_files)
product_re="^($(IFS='|'; echo "${PRODUCT[*]}"))/.*\.(h|hh|hpp|hxx|inl|ipp|c|cc|cpp|cxx|rc)$"
sources=$(grep -E "$product_re" <<<"$all")
checked=$(grep -c . <<<"$sources")

bad=0
report() {
  echo "$1"
  bad=$((bad + 1))
}
while IFS=$'\037' read -r file line word spell names; do
  folder_of "$file"
  from=$FOLDER
  if [ "$names" = "?" ]; then
    report "$file:$line: computed include, never in product code: #$word $spell"
    continue
  fi
  read -ra names <<<"$names"
  for name in "${names[@]}"; do
    folder_of "$name"
    to=$FOLDER
    [ -n "$to" ] && [ "$to" != "$from" ] || continue
    case " ${OUTSIDE[*]} " in *" $to "*)
      report "$file:$line: product code may not include $to/: #$word $spell"
      break ;;
    esac
    case " ${ALLOWED[$from]} " in *" $to "*) continue ;; esac
    report "$file:$line: $from may not include $to: #$word $spell"
    break
  done
done < <(awk -v root="$ROOT" -v rootp="$(pwd -P)" "$SCAN" <(printf '%s\n' "$all") <(printf '%s\n' "$sources"))

if [ $bad -gt 0 ]; then
  echo "include check: $bad include(s) against the layering in $checked files"
  exit 1
fi
echo "include check: $checked files, every include points down"
