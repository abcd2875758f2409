#!/usr/bin/env bash
# sprellow.exe must be a 32-bit (i386) GUI program that imports only DLLs
# every Windows has: no C++ runtime, libgcc or winpthread beside it.
set -euo pipefail
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
fail() { echo "check_imports: $*"; exit 1; }
grep -q 'Magic[[:space:]]*010b' <<<"$dump" || fail "not PE32"
i686-w64-mingw32-objdump -f "$exe" | grep -q 'i386' || fail "not i386"
grep -q 'Subsystem[[:space:]]*00000002' <<<"$dump" || fail "not a GUI program"
allowed=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll msvcrt.dll '
status=0
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  if [[ "$allowed" == *" $lower "* ]]; then
    echo "ok      $dll"
  else
    echo "foreign $dll"
    status=1
  fi
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
exit $status
