#!/usr/bin/env bash
# Measures the mask library, natively and as shipped. A measurement, not a
# test: it prints figures and never fails on speed.
#
# Native: builds the Google Benchmark program in a build folder of its own
# (Release) and runs it. It prints GB/s for makeTheMask and
# checkIsTransparent on every path beside the scalar path, memchr and a
# read-only pass, then a summary of the ratios.
#
# 32-bit: builds select.dll and its timing program with the win32 preset and
# runs them under Wine. It prints GB/s for each export of the shipped DLL
# beside floors timed in the same process on the same bytes (a read-only SSE2
# pass; reading the pixels and writing the mask; and for the rewriting mode
# storing every pixel back too), and the ratio to the floor.
#
#   tools/bench-select.sh                 both
#   tools/bench-select.sh --native [...]  native only; further arguments go to
#                                         the benchmark (e.g. --benchmark_filter=check)
#   tools/bench-select.sh --win32 [runs]  32-bit only, best of `runs` (15)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
native=1 win32=1
case "${1:-}" in
  --native) win32=0; shift ;;
  --win32) native=0; shift ;;
esac

if [ "$native" = 1 ]; then
  build="$root/build/bench-select"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target select_bench -j2 >/dev/null
  echo "== native (x86-64), Google Benchmark"
  # Three repetitions; the summary uses their medians.
  "$build/bin/select_bench" --benchmark_repetitions=3 "$@"
fi

if [ "$win32" = 1 ]; then
  [ "$native" = 1 ] && echo
  if ! command -v i686-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null; then
    echo "== 32-bit: skipped (no mingw-w64 i686 compiler or no Wine; tools/bootstrap.sh installs them)"
    exit 0
  fi
  cd "$root"
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 --target select select_timing -j2 >/dev/null
  dll="$root/build/win32/bin/select.dll"
  echo "== 32-bit (i686) under Wine: the shipped select.dll, $(stat -c %s "$dll") bytes"
  echo "   load before: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min)"
  "$root/tools/wine-run.sh" "$root/build/win32/bin/select_timing.exe" "${1:-15}"
fi
