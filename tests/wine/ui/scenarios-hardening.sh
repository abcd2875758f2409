# The scenario of DLLs planted beside the program. Sourced by scenarios.sh,
# whose pieces it uses.

# DLLs named like the system libraries that get loaded after start-up (each a
# marker that logs its own path when loaded), planted in the install folder
# and in the current folder, with Wine told to search for them as Windows
# does rather than prefer its own. A whole removal loads none of them; the
# positive control shows that they do load into a program that does not
# restrict its search, and that the start-up function of sprellow stops it.
scenario_planted_dlls() {
  echo "== planted_dlls"
  ui_fresh_prefix planted_dlls
  # Two applications and one removed: no product clean-up, so the planted
  # DLLs stay in the install folder for the whole run.
  ui_demo lay --apps 2 >/dev/null || { echo "demoproduct lay failed"; exit 1; }
  local dir cwd clean names name program
  dir=$(ui_unix "$ui_product_dir")
  cwd=$WINEPREFIX/drive_c/current
  clean=$WINEPREFIX/drive_c/clean
  mkdir -p "$cwd" "$clean"
  names='uxtheme dwmapi msimg32 cryptbase propsys ole32 combase rpcrt4 oleaut32 comctl32'
  for name in $names; do
    cp "$UI_BIN/planted_marker.dll" "$dir/$name.dll"
    cp "$UI_BIN/planted_marker.dll" "$cwd/$name.dll"
    for program in sprellow dllsearch_probe; do
      wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program.exe\\DllOverrides" \
        /v "$name" /d native,builtin /f >/dev/null 2>&1
    done
  done
  local loads=$WINEPREFIX/drive_c/planted-loads.txt
  planted_loads() { [ ! -f "$loads" ] || { tr -d '\r' <"$loads"; rm -f "$loads"; }; }

  # The control beside the planted DLLs, and in a clean folder for those in
  # the current folder (found there only for names the System folder lacks).
  cp "$UI_BIN/dllsearch_probe.exe" "$dir/"
  cp "$UI_BIN/dllsearch_probe.exe" "$clean/"
  local plain beside current
  plain=$(cd "$cwd" && ui_wine "$dir/dllsearch_probe.exe" plain $names)
  beside=$(planted_loads)
  (cd "$cwd" && ui_wine "$clean/dllsearch_probe.exe" plain $names) >/dev/null
  current=$(planted_loads)
  echo "  loaded without a restricted search:"
  sed 's/^/        /' <<<"$plain"
  ui_check_has "control: the planted uxtheme.dll beside the program loads" "$beside" \
    "$ui_product_dir\\uxtheme.dll"
  ui_check_eq "control: every DLL planted beside the program loads" \
    "$(wc -l <<<"$beside")" "$(wc -w <<<"$names")"
  ui_check_has "control: a planted DLL the System folder lacks loads from the current folder" \
    "$current" 'C:\current\cryptbase.dll'
  (cd "$cwd" && ui_wine "$dir/dllsearch_probe.exe" restricted $names) >/dev/null
  (cd "$cwd" && ui_wine "$clean/dllsearch_probe.exe" restricted $names) >/dev/null
  ui_check_eq "control: after restrictDllSearch none loads" "$(planted_loads)" ""

  (cd "$cwd" && WINEDEBUG=+pid,+loaddll exec wine "$dir/sprellow.exe" 2>"$WINEPREFIX/loaddll.txt" >/dev/null) &
  ui_pid=$!
  ui_drive wait-window Install '*' 15000 >/dev/null || { echo "the main dialog never showed"; exit 1; }
  ui_drive click-item 0
  ui_drive press-and-watch Remove 20000 >/dev/null
  expect_closing_message
  ui_check "the planted DLLs were there throughout" test -f "$dir/uxtheme.dll"
  ui_check_eq "no planted DLL was loaded during the removal" "$(planted_loads)" ""
  # The modules of sprellow's own process (the first in the log), in load order.
  local process modules
  process=$(sed -n '1s/:.*//p' "$WINEPREFIX/loaddll.txt")
  modules=$(grep "^$process:.*build_module Loaded" "$WINEPREFIX/loaddll.txt" |
    sed 's/.*Loaded L"\(.*\)" at [0-9A-Fa-f]*: \(.*\)/\1 (\2)/; s/\\\\/\\/g')
  echo "  modules sprellow loaded:"
  sed 's/^/        /' <<<"$modules"
  ui_check_eq "every module but the program itself comes from the system's folders" \
    "$(grep -viE '^C:\\windows\\(system32|winsxs)\\' <<<"$modules")" \
    "$ui_product_dir\\sprellow.exe (native)"
  finish
}
