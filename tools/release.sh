#!/usr/bin/env bash
# Builds the Windows deliverables in build/release (the win32 preset's options
# in a folder of its own, so the shipped bytes are the bytes the Wine tests
# run) and packs them for the people who ship them:
#
#   dist/sprellow-<version>-win32.zip          sprellow.exe, select.dll, delcheck.exe (once
#                                               it exists), README.txt, BUILDINFO.txt, SHA256SUMS
#   dist/sprellow-<version>-win32.zip.sha256   the zip's own hash
#
# <version> is the number in VERSION, followed by +g<commit> unless the commit
# is tagged v<number>, and by -dirty when tracked files have uncommitted
# changes; without .git it is the number alone. The same commit gives the same
# bytes wherever and whenever it is built: times come from the commit
# (SOURCE_DATE_EPOCH, unless set already), paths and time stamps stay out of
# the binaries, and the zip holds its files in a fixed order, time and mode.
#
#   tools/release.sh             build and pack
#   tools/release.sh --version   print the version the zip would carry
set -euo pipefail
export LC_ALL=C # one sort order for file names, whatever the builder's locale
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
fail() {
  echo "release: $*" >&2
  exit 1
}

number=$(head -n 1 VERSION)
[[ $number =~ ^(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)\.(0|[1-9][0-9]*)$ ]] ||
  fail "VERSION holds '$number'; it must be a.b.c"
version=$number
commit=""
if [ -e .git ]; then
  commit=$(git rev-parse HEAD)
  grep -qxF "v$number" <<<"$(git tag --points-at HEAD)" || version+="+g$(git rev-parse --short=10 HEAD)"
  git update-index -q --refresh >/dev/null || true
  if ! git diff-index --quiet HEAD --; then
    version+="-dirty"
    commit+=" with uncommitted changes"
  fi
  : "${SOURCE_DATE_EPOCH:=$(git log -1 --format=%ct HEAD)}"
fi
: "${SOURCE_DATE_EPOCH:=$(stat -c %Y VERSION)}"
export SOURCE_DATE_EPOCH
if [ "${1:-}" = "--version" ]; then
  echo "$version"
  exit 0
fi
[ $# -eq 0 ] || fail "usage: tools/release.sh [--version]"

name=sprellow-$version-win32
zip=$root/dist/$name.zip
# A failed run leaves no zip of this name behind, not even an earlier one.
rm -f "$zip" "$zip.sha256"
"$root/tools/bootstrap.sh" >/dev/null

# ---- build the deliverables, and delcheck.exe where the sources have it
build=$root/build/release
cmake --preset release >/dev/null
targets=(sprellow select)
files=(sprellow.exe select.dll)
if grep -q '^delcheck:' <<<"$(cmake --build "$build" --target help)"; then
  targets+=(delcheck)
  files+=(delcheck.exe)
fi
cmake --build "$build" --target "${targets[@]}"

# ---- what a binary that runs elevated on customers' machines must be
imports() { i686-w64-mingw32-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]'; }
system_dlls=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll comctl32.dll msvcrt.dll '
for f in "${files[@]}"; do
  if grep -q ' \.debug' <<<"$(i686-w64-mingw32-objdump -h "$build/bin/$f")"; then
    fail "$f still has debug sections"
  fi
  for dll in $(imports "$build/bin/$f"); do
    [ "$f" != select.dll ] || fail "select.dll imports $dll; it must import nothing at all"
    [[ $system_dlls == *" $dll "* ]] || fail "$f imports $dll, which is not a DLL every Windows has"
  done
done

# ---- the folder the zip holds
stage=$build/stage
rm -rf "$stage"
mkdir -p "$stage/$name"
for f in "${files[@]}"; do cp "$build/bin/$f" "$stage/$name/"; done

# README.txt for Windows readers (CR LF); its delcheck lines only with delcheck.exe.
keep_delcheck='/^@delcheck /d'
[[ " ${files[*]} " != *" delcheck.exe "* ]] || keep_delcheck='s/^@delcheck //'
sed -e "$keep_delcheck" -e "s/@VERSION@/$version/" -e 's/$/\r/' \
  tools/release-readme.txt >"$stage/$name/README.txt"

# The commands that built the shipped files, with the folders written as
# <src> and <build> so that every clone writes the same text.
build_commands() {
  ninja -C "$build" -t commands "${files[@]/#/bin/}" |
    grep -E 'i686-w64-mingw32-(g\+\+|gcc|windres)' |
    sed -E -e "s#$build#<build>#g; s#$root#<src>#g; s#^: && ##; s# && :\$##" \
      -e 's# -MD -MT [^ ]+ -MF [^ ]+##; s# -o [^ ]+##; s# -c [^ ]+##; s# [^ ]+\.(obj|res)##g; s#  +# #g' |
    awk '!seen[$0]++'
}
{
  echo "sprellow $version"
  echo "commit             ${commit:-none (built without .git)}"
  echo "SOURCE_DATE_EPOCH  $SOURCE_DATE_EPOCH ($(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC'))"
  echo "compiler           $(i686-w64-mingw32-g++-posix --version | head -n 1)"
  echo "binutils           $(i686-w64-mingw32-ld --version | head -n 1)"
  echo "cmake              $(cmake --version | head -n 1)"
  echo "Debian packages    $(dpkg-query -W -f '${Package} ${Version}, ' g++-mingw-w64-i686-posix \
    binutils-mingw-w64-i686 mingw-w64-i686-dev 2>/dev/null | sed 's/, $//')"
  echo
  echo "Build commands (compile, resources, link), in build order:"
  build_commands | sed 's/^/  /'
} >"$stage/$name/BUILDINFO.txt"

(cd "$stage/$name" && sha256sum -- * >SHA256SUMS)

# Fixed order, time and mode for every entry; zip stores local times, so UTC.
mkdir -p dist
(
  cd "$stage"
  chmod 0644 "$name"/*
  TZ=UTC touch -d "@$SOURCE_DATE_EPOCH" "$name"/*
  find "$name" -type f | sort | TZ=UTC zip -X -D -q -9 "$zip" -@
)
(cd dist && sha256sum "$name.zip" >"$name.zip.sha256")

echo "release: dist/$name.zip ($(stat -c %s "$zip") bytes)"
(cd "$stage/$name" && stat -c '  %n %s bytes' "${files[@]}")
cat "$zip.sha256"
