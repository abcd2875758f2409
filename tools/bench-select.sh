#!/usr/bin/env bash
# Measures the mask library: builds the native benchmark in a build folder of
# its own (Release) and runs it. It prints GB/s for makeTheMask and
# checkIsTransparent beside the scalar path, memchr and a read-only pass, then
# a summary of the ratios. A measurement, not a test: it never fails on speed.
# Arguments go to the benchmark (e.g. --benchmark_filter=checkIsTransparent).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/bench-select"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target select_bench -j2 >/dev/null

# Three repetitions; the summary uses their medians.
"$build/bin/select_bench" --benchmark_repetitions=3 "$@"

dll="$root/build/win32/bin/select.dll"
if [ -f "$dll" ]; then
  echo
  echo "select.dll: $(stat -c %s "$dll") bytes ($dll)"
fi
