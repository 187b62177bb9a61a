#!/usr/bin/env bash
# The setup's import table names only DLLs the loader never takes from the program's folder: the system's
# known DLLs, and the common controls, which the manifest binds side by side. Anything else (msi.dll,
# winspool.drv, version.dll, ...) would be looked for beside setup.exe, usually in a downloads folder, before
# the setup's own code could restrict the search; those are loaded at run time from the system folder instead.
#   setup_imports_test.sh SETUP.EXE
set -euo pipefail
setup=$1
allowed=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll rpcrt4.dll "
allowed+="shell32.dll shlwapi.dll user32.dll ws2_32.dll "
imports=$(i686-w64-mingw32-objdump -p "$setup" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no import table read from $setup"; exit 1; }
bad=0
for dll in $imports; do
  case "$allowed" in
    *" $dll "*) echo "import: $dll" ;;
    *) echo "import: $dll  <- the loader would look for it beside setup.exe"; bad=1 ;;
  esac
done
# The side-by-side binding that keeps comctl32 out of the program's folder.
if ! grep -aq 'Microsoft.Windows.Common-Controls' "$setup"; then
  echo "the manifest does not bind the common controls side by side"; bad=1
fi
[ $bad = 0 ] && echo "setup imports: only DLLs the loader takes from the system" || exit 1
