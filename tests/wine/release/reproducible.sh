#!/usr/bin/env bash
# The release, rebuilt and compared: tools/release.sh runs in two clones of
# HEAD at different paths, with different time zones and umasks, and the two
# zips must be the same byte for byte (cmp; diffoscope, where it is installed,
# explains a difference). One zip is then unpacked and checked as a shipper
# gets it, and its binaries run under Wine: the unpacked sprellow.exe removes
# the demo product (the UI scenario all_selected) and the select.dll tests run
# against the unpacked DLL.
#
#   reproducible.sh BIN    BIN: a win32 build's bin folder, with demoproduct.exe,
#                          uidriver.exe and select_dll_tests.exe
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../../.." && pwd)
bin=$(cd "$1" && pwd)
start=$(date +%s)
failures=0
check() {  # description, then a command that must succeed (run in a subshell)
  local what=$1 out
  shift
  if out=$("$@" 2>&1); then
    echo "  ok    $what"
  else
    echo "  FAIL  $what"
    tail -n 40 <<<"$out" | sed 's/^/        /'
    failures=$((failures + 1))
  fi
}

commit=$(git -C "$root" rev-parse -q --verify HEAD) || { echo "not a git checkout: nothing to clone"; exit 77; }
git -C "$root" diff-index --quiet HEAD -- ||
  echo "note: the clones build HEAD ($commit); uncommitted changes are not part of this test"
work=$(mktemp -d /tmp/sprellow-release.XXXXXX)
trap 'rm -rf "$work"' EXIT

# ---- two releases from two clones
release_in() {  # clone folder, umask, time zone
  git clone -q --no-checkout "$root" "$1" && git -C "$1" checkout -q --detach "$commit" &&
    (cd "$1" && umask "$2" && TZ=$3 env -u SOURCE_DATE_EPOCH tools/release.sh >"$1.log" 2>&1) ||
    { echo "release.sh failed in $1:"; tail -n 30 "$1.log"; exit 1; }
}
a=$work/a/sprellow
b=$work/second/clone/elsewhere
mkdir -p "$(dirname "$a")" "$(dirname "$b")"
release_in "$a" 022 UTC
release_in "$b" 077 XYZ-13:45
built=$(date +%s)
echo "== two releases built in $((built - start)) s"

za=$(echo "$a"/dist/*.zip)
zb=$(echo "$b"/dist/*.zip)
name=$(basename "$za" .zip)
number=$(head -n 1 "$a/VERSION")
check "the zip is named after VERSION and the commit: $name" \
  grep -qxE "sprellow-${number//./\\.}(\\+g[0-9a-f]{10})?-win32" <<<"$name"
if cmp "$za" "$zb" && cmp "$za.sha256" "$zb.sha256"; then
  echo "  ok    the two zips and their .sha256 files are the same byte for byte (cmp)"
else
  echo "  FAIL  the two zips differ"
  failures=$((failures + 1))
  if command -v diffoscope >/dev/null; then
    diffoscope "$za" "$zb" | head -n 200
  else
    mkdir "$work/ua" "$work/ub"
    unzip -q "$za" -d "$work/ua" && unzip -q "$zb" -d "$work/ub" && diff -r "$work/ua" "$work/ub"
    zipinfo "$za" >"$work/za.txt"
    zipinfo "$zb" | diff "$work/za.txt" -
  fi
fi

# ---- the version the zip would carry, in the cases a build may meet
check "an edited tracked file makes the version -dirty" \
  eval "echo >>'$a/README.md' && [[ \$('$a/tools/release.sh' --version) == *-dirty ]]"
git -C "$a" checkout -q README.md
check "a commit tagged v$number carries the number alone" \
  eval "git -C '$a' tag v$number && [ \"\$('$a/tools/release.sh' --version)\" = $number ]"
check "a tree without .git carries the number alone" \
  eval "mv '$a/.git' '$a/.git-away' && [ \"\$('$a/tools/release.sh' --version)\" = $number ]"

# ---- one zip unpacked, as a shipper gets it
unzip -q "$za" -d "$work/unpacked"
u=$work/unpacked/$name
expected='BUILDINFO.txt README.txt SHA256SUMS select.dll sprellow.exe'
binaries='select.dll sprellow.exe'
if grep -rqs --include=CMakeLists.txt --exclude-dir=build 'add_executable(delcheck' "$a"; then
  expected='BUILDINFO.txt README.txt SHA256SUMS delcheck.exe select.dll sprellow.exe'
  binaries='delcheck.exe select.dll sprellow.exe'
fi
check "the zip holds $expected" test "$(cd "$u" && LC_ALL=C ls | tr '\n' ' ')" = "$expected "
check "the zip's .sha256 matches" eval "cd '$a/dist' && sha256sum -c '$name.zip.sha256'"
check "SHA256SUMS matches every other file" eval "cd '$u' && sha256sum -c --strict SHA256SUMS &&
  test \"\$(cut -c67- SHA256SUMS | tr '\n' ' ')\" = \"\$(LC_ALL=C ls | grep -vx SHA256SUMS | tr '\n' ' ')\""
check "BUILDINFO.txt names the commit" grep -qx "commit  *$commit" "$u/BUILDINFO.txt"
check "sprellow.exe is a 32-bit GUI program" grep -q '^PE32 executable (GUI) Intel 80386' <<<"$(file -b "$u/sprellow.exe")"
check "select.dll is a 32-bit DLL" grep -q '^PE32 executable (DLL) (GUI) Intel 80386' <<<"$(file -b "$u/select.dll")"
check "sprellow.exe imports only Windows' own DLLs" bash "$root/tests/wine/ui/check_imports.sh" "$u/sprellow.exe"
check "select.dll imports nothing" eval "! i686-w64-mingw32-objdump -p '$u/select.dll' | grep -q 'DLL Name:'"
if [[ " $binaries " == *" delcheck.exe "* ]]; then
  check "delcheck.exe is a 32-bit console program" grep -q '^PE32 executable (console) Intel 80386' <<<"$(file -b "$u/delcheck.exe")"
  check "delcheck.exe imports only Windows' own DLLs" eval "i686-w64-mingw32-objdump -p '$u/delcheck.exe' |
    sed -n 's/^[[:space:]]*DLL Name: //p' | tr A-Z a-z |
    grep -vxE '(kernel32|user32|gdi32|advapi32|shell32|comctl32|msvcrt)\.dll' | awk 'END { exit NR }'"
fi
for f in $binaries; do
  headers=$(i686-w64-mingw32-objdump -p -h "$u/$f")
  check "$f: no link time stamp" grep -q 'Time/Date.*1970' <<<"$headers"
  check "$f: no debug sections" eval "! grep -q ' \.debug' <<<\"\$headers\""
  check "$f: no build folder's path in it" eval "! grep -qaF -e '$work' -e '$root' '$u/$f'"
done
check "the version resource says $number.0" grep -qx "$number.0" <<<"$(strings -el "$u/sprellow.exe")"
check "the manifest says $number.0" grep -q "name=\"Sprellow.Uninstaller\" version=\"$number.0\"" "$u/sprellow.exe"

# ---- the unpacked binaries under Wine
echo "== the unpacked sprellow.exe removes the demo product"
mkdir -p "$work/bin" "$work/ui" "$work/select"
cp "$u/sprellow.exe" "$bin/demoproduct.exe" "$bin/uidriver.exe" "$work/bin/"
[ ! -f "$bin/../ui-tests/template/.ready" ] || cp -a "$bin/../ui-tests/template" "$work/ui/"
check "scenario all_selected with the unpacked sprellow.exe" \
  env UI_BIN="$work/bin" UI_WORK="$work/ui" UI_ROOT="$root" bash "$root/tests/wine/ui/scenarios.sh" all_selected
echo "== the select.dll tests against the unpacked DLL"
cp "$u/select.dll" "$bin/select_dll_tests.exe" "$work/select/"
check "select_dll_tests beside the unpacked select.dll" "$root/tools/wine-run.sh" "$work/select/select_dll_tests.exe"

echo "== sizes: zip $(stat -c %s "$za") bytes; $(cd "$u" && stat -c '%n %s' $binaries | paste -sd ';' | sed 's/;/; /g') bytes"
echo "== took $(($(date +%s) - start)) s, of which $((built - start)) s for the two builds"
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
