#!/usr/bin/env bash
# The include check on a copy of the tree: the copy passes as it is; then each row plants one include in a new
# file, after a first line of comment, and expects the check to pass, or to fail with "file:LINE: <reason>"
# (line 2 unless the row says "N: <reason>").
#   check_includes_test.sh
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
CHECK=$ROOT/scripts/check-includes.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
for dir in framework core engine i18n integration removal ui app resources tests tools payload fuzz; do
  cp -r "$ROOT/$dir" "$tree/"
done

# file | include (printf %b: \n splits it over lines; @ROOT@ is the copy's path) | pass, or the reason it fails
ROWS='
core/planted.cpp        | #include "app/setup_session.h"               | core may not include app
core/planted.cpp        | #include "../app/setup_session.h"            | core may not include app
ui/controls/planted.cpp | #include "./../pages/page_host.h"            | ui/controls may not include ui/pages
core/planted.cpp        | #include "./product.h"                       | pass
core/planted.cpp        | #include "product.h"                         | pass
core/planted.cpp        | #include "@ROOT@/app/setup_session.h"        | core may not include app
core/planted.cpp        | #include <app/setup_session.h>               | core may not include app
core/planted.cpp        | #include <windows.h>                         | pass
core/planted.cpp        | #include "framework/base/path_text.h"        | core may not include framework/base
framework/base/planted.h| #include "core/product.h"                    | framework/base may not include core
core/planted.cpp        | #include <string>                            | pass
core/planted.cpp        | #include <app/not_written_yet.h>            | core may not include app
core/planted.c          | #include "../app/setup_session.h"            | core may not include app
core/planted.hpp        | #include <app/setup_session.h>               | core may not include app
core/planted.cc         | #include "app/setup_session.h"               | core may not include app
resources/planted.rc    | #include "../core/product.h"                 | resources may not include core
resources/planted.rc    | #include "ids.h"                             | pass
resources/planted.rc    | #include <windows.h>                         | pass
app/planted.cpp         | #include "tests/driver/walk.h"               | product code may not include tests/
app/planted.cpp         | #include "../tools/kelto_pack.cpp"           | product code may not include tools/
engine/planted.h        | #include <payload/src/standin.h>             | product code may not include payload/
engine/xml/planted.cpp  | #include "../../fuzz/xml_fuzz.cpp"           | product code may not include fuzz/
app/planted.cpp         | #include KELTO_HEADER                        | computed include
tests/native/planted.cpp| #include KELTO_HEADER                        | pass
tests/native/planted.cpp| #include "app/setup_session.h"               | pass
engine/planted.cpp      | #include "engine/xml/xml_document.h"         | pass
core/planted.cpp        | #  include"app/setup_session.h"              | core may not include app
core/planted.cpp        | %:include "app/setup_session.h"              | core may not include app
core/planted.cpp        | #include_next <app/setup_session.h>          | core may not include app
core/planted.cpp        | #import "app/setup_session.h"                | core may not include app
core/planted.cpp        | # /* why */ include "app/setup_session.h"    | core may not include app
core/planted.cpp        | #include \\\n  "app/setup_session.h"         | core may not include app
core/planted.cpp        | // #include "app/setup_session.h"            | pass
core/planted.cpp        | /*\n#include "app/setup_session.h"\n*/       | pass
core/planted.cpp        | const char* k = "/*";\n#include <app/x.h>    | 3: core may not include app
'

failed=0
out=$tree/check.out
run() { bash "$CHECK" "$tree" >"$out" 2>&1; }
trim() { sed -E 's/^ +//; s/ +$//' <<<"$1"; }
if run; then echo "ok   clean tree passes"; else echo "FAIL clean tree:"; cat "$out"; failed=1; fi
while IFS='|' read -r file include expect; do
  file=$(trim "$file")
  [ -n "$file" ] || continue
  include=$(trim "$include")
  expect=$(trim "$expect")
  [[ $expect == pass || $expect =~ ^[0-9]+: ]] || expect="2: $expect"
  { echo "// planted"; printf '%b\n' "${include//@ROOT@/$tree}"; } >"$tree/$file"
  if run; then status=pass; else status=fail; fi
  rm -f "$tree/$file"
  if [ "$expect" = pass ]; then
    [ $status = pass ] && ok=1 || ok=0
  else
    [ $status = fail ] && grep -qF "$file:$expect" "$out" && ok=1 || ok=0
  fi
  if [ $ok = 1 ]; then
    echo "ok   $file: $include ($expect)"
  else
    echo "FAIL $file: $include: expected $expect, got $status:"; sed 's/^/     /' "$out"
    failed=1
  fi
done <<<"$ROWS"
exit $failed
