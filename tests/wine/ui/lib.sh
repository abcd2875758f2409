# Shared by the end-to-end scenarios and the demo: a fresh Wine prefix per
# run, the demo product, sprellow started from its install folder, and the
# UI driver. Source it after setting UI_BIN (the build's bin folder) and
# UI_WORK (a folder for prefixes and screenshots).

ui_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ui_root=${UI_ROOT:-$(cd "$ui_here/../../.." && pwd)}
: "${UI_BIN:?UI_BIN must name the folder with sprellow.exe, demoproduct.exe and uidriver.exe}"
: "${UI_WORK:?UI_WORK must name a folder for prefixes}"

ui_template=$UI_WORK/template
ui_product_dir='C:\Program Files\CORVALUNE QUOB Demo'
ui_product_key='HKLM\software\Corvalune QUOB DEMO'
ui_uninstall_key='HKLM\software\microsoft\windows\currentversion\uninstall\Corvalune QUOB DEMO'
ui_failures=0

# The template prefix every run copies, made once. Wine draws the windows'
# frames itself (no window manager runs under Xvfb).
ui_make_template() {
  mkdir -p "$UI_WORK"
  if [ ! -f "$ui_template/.ready" ]; then
    rm -rf "$ui_template"
    (
      export WINEPREFIX=$ui_template
      source "$ui_root/tools/wine-env.sh"
      wine_prefix_ready
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
      wineserver -w
      wineserver -k 2>/dev/null || true
    )
    touch "$ui_template/.ready"
  fi
}

# A fresh prefix for run NAME; the wineserver of that prefix ends with the script.
ui_fresh_prefix() {
  export WINEPREFIX=$UI_WORK/prefixes/$1
  source "$ui_root/tools/wine-env.sh"
  ui_make_template
  mkdir -p "$UI_WORK/prefixes"
  wine_prefix_copy "$ui_template" "$WINEPREFIX"
  rm -f "$WINEPREFIX/.ready"
  trap 'wineserver -k 2>/dev/null || true' EXIT
}

# The Unix path of a Windows path in the current prefix (drive C: only).
ui_unix() {
  local p=${1#[Cc]:}
  printf '%s/drive_c%s' "$WINEPREFIX" "${p//\\//}"
}

ui_wine() { wine "$@" 2>/dev/null | tr -d '\r'; }
ui_demo() { ui_wine "$UI_BIN/demoproduct.exe" "$@"; }
ui_drive() { ui_wine "$UI_BIN/uidriver.exe" "$@"; }

# Starts sprellow.exe from a folder (Unix path) and records its process.
ui_start() {
  local folder=${1:-$(ui_unix "$ui_product_dir")}
  wine "$folder/sprellow.exe" >/dev/null 2>&1 &
  ui_pid=$!
}

# Waits, with a deadline, for sprellow to end; sets ui_exit to its exit code.
ui_wait_end() {
  local deadline=$(( $(date +%s) + ${1:-20} ))
  while kill -0 "$ui_pid" 2>/dev/null; do
    if [ "$(date +%s)" -ge "$deadline" ]; then
      ui_exit=timeout
      return 1
    fi
    sleep 0.2
  done
  wait "$ui_pid" && ui_exit=0 || ui_exit=$?
}

ui_running() { kill -0 "$ui_pid" 2>/dev/null; }

ui_key_exists() { wine reg query "$1" >/dev/null 2>&1; }

# ---- checks: each prints its verdict; a failed one fails the run at the end

ui_check() {  # description, then a command that must succeed
  local what=$1
  shift
  if "$@" >/dev/null; then
    echo "  ok    $what"
  else
    echo "  FAIL  $what"
    ui_failures=$((ui_failures + 1))
  fi
}

ui_check_eq() {  # description, actual, expected
  if [ "$2" == "$3" ]; then
    echo "  ok    $1"
  else
    echo "  FAIL  $1"
    echo "        expected: $(printf '%q' "$3")"
    echo "        actual:   $(printf '%q' "$2")"
    ui_failures=$((ui_failures + 1))
  fi
}

ui_check_has() {  # description, text, line that must be in it
  if grep -qxF -- "$3" <<<"$2"; then
    echo "  ok    $1"
  else
    echo "  FAIL  $1: no line $(printf '%q' "$3") in:"
    sed 's/^/        /' <<<"$2"
    ui_failures=$((ui_failures + 1))
  fi
}

ui_not() { ! "$@"; }

ui_done() {
  if [ "$ui_failures" -ne 0 ]; then
    echo "$ui_failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
}
