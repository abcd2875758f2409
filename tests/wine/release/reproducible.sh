#!/usr/bin/env bash
# The release, rebuilt and compared: tools/release.sh in two clones of HEAD at
# different paths, with different time zones and umasks, must give the same
# zip byte for byte (cmp; diffoscope, where installed, explains a difference).
# One zip is then unpacked and checked as a shipper gets it, and run under
# Wine: its sprellow.exe removes the demo product (the UI scenario
# all_selected) and the select.dll tests run against its DLL.
#   reproducible.sh BIN   (a win32 build's bin folder: demoproduct.exe,
#                          uidriver.exe, select_dll_tests.exe)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
bin=$(cd "$1" && pwd)
start=$(date +%s)
failures=0
check() {  # description, then a command that must succeed (in a subshell)
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
git -C "$root" diff-index --quiet HEAD -- || echo "note: the clones build HEAD; uncommitted changes are not tested"
work=$(mktemp -d /tmp/sprellow-release.XXXXXX)
trap 'rm -rf "$work"' EXIT

release_in() {  # clone folder, umask, time zone
  mkdir -p "$(dirname "$1")"
  if ! { git clone -q --no-checkout "$root" "$1" && git -C "$1" checkout -q --detach "$commit" &&
    (cd "$1" && umask "$2" && TZ=$3 env -u SOURCE_DATE_EPOCH tools/release.sh >"$1.log" 2>&1); }; then
    tail -n 30 "$1.log"
    exit 1
  fi
}
a=$work/a/sprellow
b=$work/second/clone/elsewhere
release_in "$a" 022 UTC
release_in "$b" 077 XYZ-13:45
built=$(date +%s)
za=$(echo "$a"/dist/*.zip)
name=$(basename "$za" .zip)
number=$(head -n 1 "$a/VERSION")
check "the zip is named after VERSION and the commit: $name" \
  grep -qxE "sprellow-${number//./\\.}(\\+g[0-9a-f]{10})?-win32" <<<"$name"
if cmp "$za" "$b/dist/$name.zip" && cmp "$za.sha256" "$b/dist/$name.zip.sha256"; then
  echo "  ok    two clones give the same zip and .sha256, byte for byte (cmp)"
else
  echo "  FAIL  two clones give different zips"
  failures=$((failures + 1))
  command -v diffoscope >/dev/null && diffoscope "$za" "$b/dist/$name.zip" | head -n 200
fi

check "an edited tracked file makes the version -dirty" \
  eval "echo >>'$a/README.md' && [[ \$('$a/tools/release.sh' --version) == *-dirty ]]"
git -C "$a" checkout -q README.md
check "a commit tagged v$number carries the number alone" \
  eval "git -C '$a' tag -f v$number && [ \"\$('$a/tools/release.sh' --version)\" = $number ]"
check "a tree without .git carries the number alone" \
  eval "mv '$a/.git' '$a/.git-away' && [ \"\$('$a/tools/release.sh' --version)\" = $number ]"

# ---- one zip unpacked, as a shipper gets it
unzip -q "$za" -d "$work/unpacked"
u=$work/unpacked/$name
kinds=('sprellow.exe (GUI)' 'select.dll (DLL) (GUI)')
grep -rqs --include=CMakeLists.txt 'add_executable(delcheck' "$a" && kinds+=('delcheck.exe (console)')
expected=$(printf '%s\n' BUILDINFO.txt README.txt SHA256SUMS "${kinds[@]%% *}" | LC_ALL=C sort)
check "the zip holds $(tr "\n" " " <<<"$expected")" test "$(cd "$u" && LC_ALL=C ls)" = "$expected"
check "the zip's .sha256 and SHA256SUMS match" \
  eval "(cd '$a/dist' && sha256sum -c '$name.zip.sha256') && cd '$u' && sha256sum -c --strict SHA256SUMS &&
    test \"\$(cut -c67- SHA256SUMS)\" = \"\$(LC_ALL=C ls | grep -vx SHA256SUMS)\""
check "BUILDINFO.txt names the commit" grep -qx "commit  *$commit" "$u/BUILDINFO.txt"
for kind in "${kinds[@]}"; do
  f=${kind%% *}
  check "$f is a 32-bit ${kind#* } PE" grep -qF "PE32 executable ${kind#* } Intel 80386" <<<"$(file -b "$u/$f")"
  imports=$(LC_ALL=C i686-w64-mingw32-objdump -p "$u/$f" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
  [ "$f" != select.dll ] || check "select.dll imports nothing" test -z "$imports"
  [ "$f" = select.dll ] || check "$f imports only Windows' own DLLs: $(tr '\n' ' ' <<<"$imports")" eval \
    "! grep -vxE '(kernel32|user32|gdi32|advapi32|shell32|comctl32|msvcrt)\.dll' <<<'$imports'"
done
check "the version resource and the manifest say $number.0" eval "strings -el '$u/sprellow.exe' | grep -qx '$number.0' &&
  grep -q 'name=\"Sprellow.Uninstaller\" version=\"$number.0\"' '$u/sprellow.exe'"

# ---- the unpacked binaries under Wine, with this build's demo tool, UI driver and tests
mkdir -p "$work/bin" "$work/ui" "$work/select"
cp "$u/sprellow.exe" "$bin/demoproduct.exe" "$bin/uidriver.exe" "$work/bin/"
[ ! -f "$bin/../ui-tests/template/.ready" ] || cp -a "$bin/../ui-tests/template" "$work/ui/"
check "the unpacked sprellow.exe removes the demo product (scenario all_selected)" \
  env UI_BIN="$work/bin" UI_WORK="$work/ui" UI_ROOT="$root" bash "$root/tests/wine/ui/scenarios.sh" all_selected
cp "$u/select.dll" "$bin/select_dll_tests.exe" "$work/select/"
check "the select.dll tests pass against the unpacked DLL" "$root/tools/wine-run.sh" "$work/select/select_dll_tests.exe"

echo "sizes: zip $(stat -c %s "$za") bytes, $(cd "$u" && stat -c '%n %s' "${kinds[@]%% *}" | paste -sd ' ')"
echo "took $(($(date +%s) - start)) s, of which $((built - start)) s for the two releases"
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all checks passed"
