#!/usr/bin/env bash
# Measurement, not a test: how many inputs a fuzz target runs per second once
# its corpus has grown, in the sanitizer build that the test command fuzzes
# with. Grows a corpus from the committed seeds (or takes a copy of one given),
# then prints two figures:
#   - replay: every input of the grown corpus run once, counted against the
#     CPU time the process used (steady under load, good for before/after);
#   - fuzzing: libFuzzer's own average over a run that mutates the grown
#     corpus, wall clock, with the load average beside it.
#
#   tools/measure-fuzzing.sh                      # script_fuzzer, grow 300 s, fuzz 60 s
#   tools/measure-fuzzing.sh --grow 600 --fuzz 120 path_fuzzer
#   tools/measure-fuzzing.sh --corpus /some/grown/corpus --fuzz 30
#   tools/measure-fuzzing.sh --keep /tmp/grown              # keep the grown corpus
#   tools/measure-fuzzing.sh --coverage-only --corpus /tmp/grown  # the same target
#       without the sanitizers, in a build of its own: what their checks cost
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build/sanitize
sanitizers=address,undefined

grow=300
fuzz=60
corpus=
keep=
target=script_fuzzer
while [ $# -gt 0 ]; do
  case $1 in
    --grow) grow=$2; shift 2 ;;
    --fuzz) fuzz=$2; shift 2 ;;
    --corpus) corpus=$2; shift 2 ;;
    --keep) keep=$2; shift 2 ;;
    --coverage-only) build=$root/build/fuzz-coverage-only; sanitizers=; shift ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) target=$1; shift ;;
  esac
done
case $target in
  script_fuzzer | checker_fuzzer) seeds=$root/tests/fuzz/corpus; max_len=32768 ;;
  path_fuzzer) seeds=$root/tests/fuzz/path_corpus; max_len=4096 ;;
  *) echo "unknown fuzz target $target" >&2; exit 2 ;;
esac

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset sanitize -B "$build" -DSPRELLOW_SANITIZERS="$sanitizers" >/dev/null
fi
cmake --build "$build" --target "$target" >/dev/null
echo "build: $build (sanitizers: ${sanitizers:-none, coverage alone})"
fuzzer=$build/bin/$target

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus"
# A finding stops the measurement with its reproducer kept here.
flags=(-max_len=$max_len -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
       -artifact_prefix="$work/")

if [ -n "$corpus" ]; then
  cp -r "$corpus"/. "$work/corpus/"
  echo "corpus: a copy of $corpus"
else
  cp -r "$seeds"/. "$work/corpus/"
  echo "growing a corpus from the seeds for $grow s ..."
  "$fuzzer" "${flags[@]}" -seed=1 -max_total_time="$grow" "$work/corpus" >"$work/grow.log" 2>&1
  grep -E 'stat::(number_of_executed_units|average_exec_per_sec)' "$work/grow.log" | sed 's/^/  growing: /'
fi
if [ -n "$keep" ]; then
  mkdir -p "$keep"
  cp -r "$work/corpus"/. "$keep/"
fi
inputs=$(find "$work/corpus" -type f | wc -l)
bytes=$(du -sb "$work/corpus" | cut -f1)
echo "grown corpus: $inputs inputs, $(( bytes / 1024 )) KiB"

# Replay: the corpus once, inputs per CPU second.
/usr/bin/time -f '%U %S' -o "$work/replay.time" "$fuzzer" -runs=0 "${flags[@]}" "$work/corpus" \
  >"$work/replay.log" 2>&1
read -r user sys <"$work/replay.time"
awk -v n="$inputs" -v u="$user" -v s="$sys" \
  'BEGIN { printf "replay:  %d inputs in %.2f CPU s = %.0f inputs per CPU second\n", n, u + s, n / (u + s) }'

# Fuzzing from the grown corpus, as a long run would go on.
load_before=$(cut -d' ' -f1 /proc/loadavg)
"$fuzzer" "${flags[@]}" -seed=2 -max_total_time="$fuzz" "$work/corpus" >"$work/fuzz.log" 2>&1
load_after=$(cut -d' ' -f1 /proc/loadavg)
units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz.log")
rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/fuzz.log")
echo "fuzzing: $units inputs in $fuzz s = $rate inputs/s (load average $load_before before, $load_after after, $(nproc) cores)"
