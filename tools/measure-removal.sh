#!/usr/bin/env bash
# Measurement, not a test: how much the uninstaller's engine adds to what the
# file system itself costs. Builds the win32 target, then in a fresh Wine
# prefix lays a generated large demo product (50 applications, 10,000 files
# in nested folders, 200 file types), times discovery and the removal of
# every application through the engine, lays the same product again and
# times deleting the same files with a plain DeleteFileA loop, and once more
# with a safe loop (each file opened, its final path asked, deleted through
# the handle), all in one Wine session. Prints the times and their ratios,
# and for a fuller comparison the plain cost of removing the same folders and
# keys too; and the time delcheck.exe takes to plan the same removal.
#
#   tools/measure-removal.sh [removal_timing options, e.g. --rounds 5]
#   DEMO_BUILD=build/dev-x-w32 tools/measure-removal.sh    # another build folder
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${DEMO_BUILD:-$root/build/win32}
case $build in /*) ;; *) build=$root/$build ;; esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-mingw.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target demoproduct removal_timing delcheck -j2 >/dev/null

source "$root/tools/wine-env.sh"
wine_prefix_ready
fresh=$build/measure-removal-prefix
wine_prefix_copy "$WINEPREFIX" "$fresh"
export WINEPREFIX=$fresh
finish() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$fresh"
}
trap finish EXIT

echo "wine: $(wine --version), prefix: a fresh copy in $fresh"
wine "$build/bin/removal_timing.exe" "$@"
