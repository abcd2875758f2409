#!/usr/bin/env bash
# Every test: installs what is missing, builds both targets, runs the native
# unit tests, the same tests under the sanitizers, a time-boxed fuzz run, the
# Win32 tests under Wine, and checks the code's formatting.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$(date +%s)
# Wine names the files it makes in the Unix locale's character set: the tests
# that name files in every alphabet need a UTF-8 one, whatever the caller's.
case "$(locale charmap 2>/dev/null)" in
  UTF-8) ;;
  *) export LC_ALL=C.UTF-8 ;;
esac

"$root/tools/bootstrap.sh"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON

step() { echo; echo "=== $* ==="; }

step "format check"
files=$(git ls-files '*.cpp' '*.h' '*.c' | grep -v '^build/' || true)
if [ -n "$files" ]; then
  clang-format --dry-run --Werror $files
fi

step "native build and unit tests"
cmake --preset native -DSPRELLOW_WERROR=$werror >/dev/null
cmake --build --preset native
ctest --preset native

step "sanitizer build, unit tests and fuzzing"
cmake --preset sanitize -DSPRELLOW_WERROR=$werror >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize

step "win32 build and tests under Wine"
cmake --preset win32 -DSPRELLOW_WERROR=$werror >/dev/null
cmake --build --preset win32
# The window tests need a display: a private Xvfb for the whole Wine run.
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win32

echo
echo "all tests passed in $(( $(date +%s) - start )) s"
