#!/usr/bin/env bash
# The shipped binaries' PE headers: 32-bit (i386) images with the hardening
# flags, importing only what is safe to import in an elevated program.
#   check_imports.sh PROGRAM.exe   a program (sprellow.exe: a GUI one) that
#                                  imports only DLLs every Windows has and
#                                  loads from its System folder
#   check_imports.sh LIBRARY.dll   a library that imports nothing at all
set -euo pipefail
# Tools' messages in English whatever the locale: their lines are matched.
export LC_ALL=C
file=$1
dump=$(i686-w64-mingw32-objdump -p "$file")
fail() { echo "check_imports: $file: $*"; exit 1; }
grep -q 'Magic[[:space:]]*010b' <<<"$dump" || fail "not PE32"
i686-w64-mingw32-objdump -f "$file" | grep -q 'i386' || fail "not i386"
status=0

# Address space layout randomisation needs the relocations that let the
# loader move the image; no execution from data pages. Terminal Server
# awareness (no compatibility shims) means something only for the program
# that starts a process, so a DLL goes without it.
flags=$((0x$(sed -n 's/^DllCharacteristics[[:space:]]*//p' <<<"$dump")))
wanted='DYNAMIC_BASE=0x40 NX_COMPAT=0x100'
[[ "$file" == *.exe ]] && wanted+=' TERMINAL_SERVER_AWARE=0x8000'
for flag in $wanted; do
  if ((flags & ${flag#*=})); then
    echo "ok      ${flag%=*}"
  else
    echo "missing ${flag%=*}"
    status=1
  fi
done
if grep -q 'relocations stripped' <<<"$dump"; then
  echo "missing relocations: DYNAMIC_BASE without them leaves the image where it is"
  status=1
fi

imports=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
if [[ "$file" != *.exe ]]; then
  if [ -n "$imports" ]; then
    echo "foreign imports, where none may be: $(tr '\n' ' ' <<<"$imports")"
    status=1
  fi
  exit $status
fi

if [[ "$(basename "$file")" == sprellow.exe ]]; then
  grep -q 'Subsystem[[:space:]]*00000002' <<<"$dump" || fail "not a GUI program"
fi
# A DLL imported by name is found before any code of the program runs, so
# that nothing can restrict the search yet: only KnownDLLs (which Windows
# always takes from the System folder) and comctl32 (which the manifest's
# side-by-side assembly supplies) are safe to import.
allowed=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll msvcrt.dll '
while read -r dll; do
  [ -n "$dll" ] || continue
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  if [[ "$allowed" == *" $lower "* ]]; then
    echo "ok      $dll"
  else
    echo "foreign $dll: neither a KnownDLL nor side-by-side; a file of that name in the" \
      "program's folder would be loaded in its place, with administrator rights," \
      "before WinMain can restrict the DLL search. Load it at run time instead."
    status=1
  fi
done <<<"$imports"
exit $status
