# Scenarios of deletions judged where they really land, through the real
# windows. Sourced by scenarios.sh, whose pieces they use.

# The list position (0-based) of the entry titled $1.
item_of() { ui_drive list | cut -f2 | grep -nxF -- "$1" | cut -d: -f1 | awk '{ print $1 - 1 }'; }

# A key's default string value.
# reg.exe writes in the console's code page (Shift JIS on a Japanese system):
# its lines are cut byte by byte.
default_value() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | LC_ALL=C sed -n 's/.*REG_SZ *//p'; }

# Appends lines, each ended by CR LF, to a file given by its Unix path.
append_lines() {
  local file=$1
  shift
  printf '%s\r\n' "$@" >>"$file"
}

# A folder link in the install folder leading to a folder of sentinels, an
# application whose file types are registered by their short 8.3 paths, and
# one whose program lies right in the install folder.
scenario_links_and_short_names() {
  echo "== links_and_short_names"
  ui_fresh_prefix links_and_short_names
  ui_demo lay >"$WINEPREFIX/lay.txt" || { echo "demoproduct lay failed"; exit 1; }
  local dir unix precious key command folder
  dir=$ui_product_dir
  unix=$(ui_unix "$dir")
  precious=$WINEPREFIX/drive_c/precious
  mkdir -p "$precious"
  echo kept >"$precious/a.txt"
  echo kept >"$precious/viewer.exe"
  ln -s "$precious" "$unix/Data"
  append_lines "$unix/reader.del" 'removefile=Data\*.*' 'removefile=Data\a.txt' 'removekey=.qlnk'
  wine reg add 'HKCR\.qlnk' /ve /d QUOBLinked.File /f >/dev/null 2>&1
  wine reg add 'HKCR\QUOBLinked.File\shell\open\command' /ve /d "$dir\\Data\\viewer.exe %1" /f >/dev/null 2>&1
  for n in 1 2 3 4; do
    key="HKCR\\QUOBDemo.Reader.$n\\shell\\open\\command"
    command=$(default_value "$key")
    folder=${command%\\*}
    wine reg add "$key" /ve /d "$(winepath -s "$folder" 2>/dev/null)\\${command##*\\}" /f >/dev/null 2>&1
  done
  echo stand-in >"$unix/delta.exe"
  wine reg add 'HKCR\.qdelta' /ve /d QUOBDemo.Delta /f >/dev/null 2>&1
  wine reg add 'HKCR\QUOBDemo.Delta\shell\open\command' /ve /d "$dir\\delta.exe %1" /f >/dev/null 2>&1
  append_lines "$unix/tunes.del" 'removekey=.qdelta'
  before=$(ui_demo show)
  ui_start
  ui_drive wait-window Install '*' 15000 >/dev/null || { echo "the main dialog never showed"; exit 1; }
  ui_drive click-item "$(item_of 'QUOB Reader')"
  ui_drive click-item "$(item_of 'QUOB Tunes')"
  ui_drive click-button Remove
  expect_closing_message
  local after
  after=$(ui_demo show)
  ui_check_eq "nothing behind the link is touched" "$(cat "$precious/a.txt" "$precious/viewer.exe")" $'kept\nkept'
  ui_check "the link stays" test -L "$unix/Data"
  ui_check_eq "the application registered by short paths is gone" "$(traces_of '\QUOB Reader' "$after")" ""
  ui_check_eq "the other chosen application is gone" "$(traces_of '\QUOB Tunes' "$after")" ""
  ui_check_eq "the unchosen application stays whole" "$(traces_of '\QUOB Painter' "$after")" \
    "$(traces_of '\QUOB Painter' "$before")"
  ui_check "its removal script stays" test -f "$unix/painter.del"
  ui_check "the program in the install folder stays" test -f "$unix/delta.exe"
  ui_check "the uninstaller stays" test -f "$unix/sprellow.exe"

  # A product key naming the Start Menu folder in its short form is no
  # install folder: nothing of the Start menu goes, not even on a full removal.
  local menu short
  menu=$(dirname "$(ui_unix "$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' /v Programs 2>/dev/null | tr -d '\r' | LC_ALL=C sed -n 's/.*REG_SZ *//p')")")
  short=$(winepath -s "$(winepath -w "$menu" 2>/dev/null)" 2>/dev/null)
  echo keep >"$menu/keep.url"
  printf 'title=In the Start menu\r\nremovefile=*.*\r\n' >"$menu/menu.del"
  wine reg add "$ui_product_key" /ve /d "$short" /f >/dev/null 2>&1
  ui_start
  ui_drive wait-window Install '*' 15000 >/dev/null || { echo "the main dialog never showed"; exit 1; }
  ui_check_eq "the Start menu's script is listed and chosen" "$(ui_drive list)" $'1\tIn the Start menu'
  ui_drive click-button Remove
  expect_closing_message
  ui_check "the Start menu's own files stay" test -f "$menu/keep.url" -a -f "$menu/menu.del"
  finish
}
