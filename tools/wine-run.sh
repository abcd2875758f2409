#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix (never
# ~/.wine). CTest uses it as the emulator for the Win32 test programs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/tools/wine-env.sh"
wine_prefix_ready
exec wine "$@"
