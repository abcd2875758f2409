#!/usr/bin/env bash
# Runs a Windows program in a fresh copy of the project's Wine prefix (the
# one $WINEPREFIX names, made ready first), then stops that copy's wineserver
# and deletes the copy. The program's exit code is the script's.
#   run-in-fresh-prefix.sh COPY-FOLDER PROGRAM.exe [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
source "$root/tools/wine-env.sh"
copy=$1
shift

wine_prefix_ready
wine_prefix_copy "$WINEPREFIX" "$copy"
export WINEPREFIX=$copy
finish() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$copy"
}
trap finish EXIT
status=0
wine "$@" || status=$?
exit $status
