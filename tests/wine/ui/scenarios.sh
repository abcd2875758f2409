#!/usr/bin/env bash
# End-to-end scenarios of sprellow under Wine: each lays the demo product
# into a fresh copy of the template prefix, runs sprellow.exe from its
# install folder, drives it with the UI driver as a user would, and checks
# the windows, the messages, and what is left of the product afterwards.
#
#   scenarios.sh template | SCENARIO
set -uo pipefail
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

title='QUOB demo application removal'
question="Are you sure you want to exit the $title?"
closing='Application removal completed successfully.'
refusal='You cannot run this program directly from this CD. If you want to remove any of your this product then use add/remove program found in the Window 95 control panel.'

# ---- pieces the scenarios share

start_with_product() {  # name, then demoproduct lay options
  local name=$1
  shift
  echo "== $name"
  ui_fresh_prefix "$name"
  ui_demo lay "$@" >"$WINEPREFIX/lay.txt" || { echo "demoproduct lay failed"; exit 1; }
  before=$(ui_demo show)
  ui_start
  ui_drive wait-window Install '*' 15000 >/dev/null || { echo "the main dialog never showed"; exit 1; }
}

control() {  # the controls line of a control, by its text
  ui_drive controls Install | awk -F'\t' -v t="$1" '$2 == t'
}

remove_enabled() { control '&Remove' | grep -q 'enabled=1'; }

# Answers the closing message and checks it, and that the program ends.
expect_closing_message() {
  local box
  box=$(ui_drive msgbox 20000)
  ui_check_has "closing message text" "$box" "text $closing"
  ui_check_has "closing message caption is the program title" "$box" "caption $title"
  ui_check_has "closing message has an OK button" "$box" "button OK"
  ui_check_has "closing message has the information icon" "$box" "icon"
  ui_check_eq "closing message has only OK" "$(grep -c '^button' <<<"$box")" 1
  ui_drive answer OK >/dev/null
  ui_wait_end 20
  ui_check_eq "the program ends after OK" "$ui_exit" 0
}

exit_question() {  # answers the Exit question with $1 after checking it
  ui_drive click-button Exit
  local box
  box=$(ui_drive msgbox)
  ui_check_has "Exit question text" "$box" "text $question"
  ui_check_has "Exit question caption is the application's title" "$box" "caption $title"
  ui_check_has "Exit question has Yes" "$box" "button Yes"
  ui_check_has "Exit question has No" "$box" "button No"
  ui_check_has "Exit question has the question icon" "$box" "icon"
  ui_drive answer "$1" >/dev/null
}

# After a whole removal only the running uninstaller and its folder are left,
# both given to Windows to delete at the next restart.
expect_product_gone() {
  local dir
  dir=$ui_product_dir
  ui_check_eq "only the running uninstaller is left of the product" "$(ui_demo show)" \
    "folder   $dir"$'\n'"file     $dir\\sprellow.exe"
  local pending
  pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
    /v PendingFileRenameOperations 2>/dev/null | tr -d '\r')
  ui_check "the uninstaller is deleted at the next restart" grep -qiF 'CORVALUNE QUOB Demo\sprellow.exe' <<<"$pending"
  ui_check "the product key is gone" ui_not ui_key_exists "$ui_product_key"
  ui_check "the uninstall entry is gone" ui_not ui_key_exists "$ui_uninstall_key"
}

traces_of() { grep -F -- "$1" <<<"$2" || true; }

finish() {
  [ -n "${keep_prefix:-}" ] || { wineserver -k 2>/dev/null; [ "$ui_failures" -ne 0 ] || rm -rf "$WINEPREFIX"; }
  ui_done
}

# ---- the scenarios

scenario_no_product_key() {
  start_with_product no_product_key --no-product-key
  ui_check_eq "the list is empty" "$(ui_drive list)" ""
  ui_check "Remove is disabled" ui_not remove_enabled
  ui_check "Exit is enabled" eval "control 'E&xit' | grep -q enabled=1"
  exit_question No
  ui_check "No keeps the program running" ui_running
  ui_check "No keeps the dialog" ui_drive wait-window Install '*' 2000
  exit_question Yes
  ui_wait_end 20
  ui_check_eq "Yes ends the program" "$ui_exit" 0
  ui_check_eq "nothing was removed" "$(ui_demo show)" "$before"
  finish
}

scenario_exit_no_then_yes() {
  start_with_product exit_no_then_yes
  ui_check_eq "three entries, none selected" "$(cut -f1 <<<"$(ui_drive list)" | tr -d '\n')" 000
  ui_check "Remove disabled with nothing selected" ui_not remove_enabled
  ui_drive click-item 1
  ui_check "Remove enabled once an entry is selected" remove_enabled
  local list
  list=$(ui_drive list)
  exit_question No
  ui_check_eq "No keeps the selection" "$(ui_drive list)" "$list"
  ui_check "No keeps Remove enabled" remove_enabled
  ui_drive click-item 1
  ui_check "a second click deselects and disables Remove" ui_not remove_enabled
  exit_question Yes
  ui_wait_end 20
  ui_check_eq "Yes ends the program" "$ui_exit" 0
  ui_check_eq "nothing was removed" "$(ui_demo show)" "$before"
  finish
}

scenario_one_application() {
  start_with_product one_application --apps 1
  local list app
  list=$(ui_drive list)
  app=$(cut -f2 <<<"$list")
  ui_check_eq "the one entry is pre-selected" "$(cut -f1 <<<"$list")" 1
  ui_check "Remove is enabled" remove_enabled
  ui_drive press-and-watch Remove 20000 >"$WINEPREFIX/progress.txt"
  local progress
  progress=$(cat "$WINEPREFIX/progress.txt")
  ui_check_eq "the progress window names the application" "$(cut -f1,2 <<<"$progress" | tail -1)" \
    "$title"$'\t'"Removing $app"
  check_progress_centred "$progress"
  ui_check "the main dialog is hidden" ui_drive wait-gone Install '*' 2000
  expect_closing_message
  expect_product_gone
  finish
}

# The progress window sits four twips left of the screen's middle.
check_progress_centred() {
  local rect screen x y w h sw sh
  rect=$(cut -f3 <<<"$1" | tail -1)
  read -r x y w h <<<"$rect"
  read -r sw sh <<<"$(ui_drive window frmBackDrop 2>/dev/null | sed -n 's/^screen //p')"
  [ -n "${sw:-}" ] || { sw=1024; sh=768; }
  local ex ey
  ex=$(awk -v s="$sw" -v w="$w" 'BEGIN { t = (s * 15 / 2 - w * 15 / 2 - 4) / 15; printf "%d", (t < 0 ? -int(-t + 0.5) : int(t + 0.5)) }')
  ey=$(awk -v s="$sh" -v h="$h" 'BEGIN { t = (s * 15 / 2 - h * 15 / 2) / 15; printf "%d", int(t + 0.5) }')
  ui_check_eq "the progress window is centred as centerForm puts it" "$x $y" "$ex $ey"
}

scenario_some_selected() {
  start_with_product some_selected --files-per-app 60
  local list first third second
  list=$(ui_drive list)
  first=$(sed -n 1p <<<"$list" | cut -f2)
  second=$(sed -n 2p <<<"$list" | cut -f2)
  third=$(sed -n 3p <<<"$list" | cut -f2)
  ui_drive click-item 2
  ui_drive click-item 0
  ui_drive press-and-watch Remove 30000 >"$WINEPREFIX/progress.txt"
  ui_check_eq "the chosen applications are removed in list order" \
    "$(cut -f2 "$WINEPREFIX/progress.txt" | tr '\n' '|')" "Removing $first|Removing $third|"
  ui_check "the caption stays the program title" eval "! cut -f1 '$WINEPREFIX/progress.txt' | grep -vxF '$title'"
  expect_closing_message
  local after
  after=$(ui_demo show)
  ui_check_eq "the first application is gone" "$(traces_of "\\$first" "$after")" ""
  ui_check_eq "the third application is gone" "$(traces_of "\\$third" "$after")" ""
  ui_check_eq "the unselected application stays whole" "$(traces_of "\\$second" "$after")" \
    "$(traces_of "\\$second" "$before")"
  ui_check "the product key stays" ui_key_exists "$ui_product_key"
  ui_check "the uninstall entry stays" ui_key_exists "$ui_uninstall_key"
  ui_check "the uninstaller stays" test -f "$(ui_unix "$ui_product_dir")/sprellow.exe"
  finish
}

scenario_all_selected() {
  start_with_product all_selected --files-per-app 60
  local list
  list=$(ui_drive list)
  for i in 0 1 2; do ui_drive click-item $i; done
  ui_check_eq "all three selected" "$(ui_drive list | cut -f1 | tr -d '\n')" 111
  ui_drive press-and-watch Remove 30000 >"$WINEPREFIX/progress.txt"
  ui_check_eq "every application is removed in list order" \
    "$(cut -f2 "$WINEPREFIX/progress.txt" | tr '\n' '|')" \
    "$(cut -f2 <<<"$list" | sed 's/^/Removing /' | tr '\n' '|')"
  expect_closing_message
  expect_product_gone
  finish
}

scenario_cant_delete_marker() {
  start_with_product cant_delete_marker
  : >"$(ui_unix "$ui_product_dir")/can't delete"
  for i in 0 1 2; do ui_drive click-item $i; done
  ui_drive click-button Remove
  expect_closing_message
  local after
  after=$(ui_demo show)
  ui_check_eq "no file was deleted" "$(grep -E '^(file|folder)' <<<"$after" | grep -vF "can't delete")" \
    "$(grep -E '^(file|folder)' <<<"$before")"
  ui_check_eq "the file-type keys are deleted all the same" "$(traces_of 'HKCR\' "$after")" ""
  ui_check "the product key stays (no product clean-up)" ui_key_exists "$ui_product_key"
  ui_check "the uninstall entry stays" ui_key_exists "$ui_uninstall_key"
  finish
}

scenario_vanished_script() {
  start_with_product vanished_script
  rm -f "$(ui_unix "$ui_product_dir")"/*.del
  ui_drive click-item 0
  ui_drive click-item 1
  ui_drive click-button Remove
  local box
  box=$(ui_drive msgbox 20000)
  ui_check_has "the error box names the failure" "$box" "text File not found"
  ui_check_has "the error box has OK" "$box" "button OK"
  ui_check_has "the error box has the application's title" "$box" "caption $title"
  ui_drive answer OK >/dev/null
  ui_wait_end 20
  ui_check_eq "the program ends with a failure" "$ui_exit" 1
  ui_check "no closing message follows" ui_not ui_drive msgbox 1500
  local after
  after=$(ui_demo show)
  ui_check_eq "no application was touched" "$(grep -v '\.del$' <<<"$after")" \
    "$(grep -v '\.del$' <<<"$before")"
  finish
}

scenario_cdrom_drive() {
  echo "== cdrom_drive"
  ui_fresh_prefix cdrom_drive
  # Drive D: is a CD-ROM holding the uninstaller. Wine reads the drive types
  # when it starts, so the prefix is restarted after the change.
  mkdir -p "$WINEPREFIX/cdrom"
  cp "$UI_BIN/sprellow.exe" "$WINEPREFIX/cdrom/"
  ln -sfn ../cdrom "$WINEPREFIX/dosdevices/d:"
  wine reg add 'HKLM\Software\Wine\Drives' /v 'd:' /d cdrom /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  ui_demo lay >/dev/null
  before=$(ui_demo show)
  wine 'D:\sprellow.exe' >/dev/null 2>&1 &
  ui_pid=$!
  local box
  box=$(ui_drive msgbox 20000)
  ui_check_has "the refusal" "$box" "text $refusal"
  ui_check_has "its caption is the default application title" "$box" "caption sprellow"
  ui_check_eq "only an OK button" "$(grep '^button' <<<"$box")" "button OK"
  ui_check "no icon" ui_not grep -qx icon <<<"$box"
  ui_check "no backdrop was shown" ui_not ui_drive window frmBackDrop
  ui_check "no main dialog was shown" ui_not ui_drive window Install
  ui_drive answer OK >/dev/null
  ui_wait_end 20
  ui_check_eq "the program ends after OK" "$ui_exit" 0
  ui_check_eq "nothing was touched" "$(ui_demo show)" "$before"
  finish
}

scenario_keyboard() {
  start_with_product keyboard
  local list
  list=$(ui_drive list)
  ui_check "with Remove disabled, Exit has the focus" ui_drive wait-focus Exit 3000
  ui_drive key tab
  ui_check "Tab goes on to the list" ui_drive wait-focus ListBox 3000
  ui_drive key space
  ui_check_eq "Space selects the first entry" "$(ui_drive list | cut -f1 | tr -d '\n')" 100
  ui_check "and enables Remove" remove_enabled
  ui_drive key tab
  ui_check "Tab from the list comes round to Remove" ui_drive wait-focus Remove 3000
  ui_drive key tab
  ui_check "then Exit" ui_drive wait-focus Exit 3000
  ui_drive key tab
  ui_check "then the list again (the frame takes no focus)" ui_drive wait-focus ListBox 3000
  ui_drive key escape enter
  ui_check "Escape and Enter in the list press nothing" ui_not ui_drive msgbox 1000
  ui_drive key alt+f4
  ui_check "Alt+F4 closes nothing: only Remove and Exit leave" ui_drive wait-window Install '*' 1000
  ui_check "and the program goes on" ui_running
  ui_drive key alt+x
  ui_check_has "Alt+X asks the Exit question" "$(ui_drive msgbox)" "text $question"
  ui_drive answer No >/dev/null
  ui_drive key alt+r
  expect_closing_message
  local first after
  first=$(sed -n 1p <<<"$list" | cut -f2)
  after=$(ui_demo show)
  ui_check_eq "Alt+R removed the selected application" "$(traces_of "\\$first" "$after")" ""
  ui_check "and only that one" test -n "$(traces_of "\\$(sed -n 2p <<<"$list" | cut -f2)" "$after")"
  finish
}

source "$(dirname "${BASH_SOURCE[0]}")/scenarios-looks.sh"
source "$(dirname "${BASH_SOURCE[0]}")/scenarios-deletions.sh"
source "$(dirname "${BASH_SOURCE[0]}")/scenarios-hardening.sh"

case "${1:-}" in
  template) ui_make_template && echo "template prefix ready: $ui_template" ;;
  "") echo "usage: $0 template|SCENARIO" >&2; exit 2 ;;
  *)
    if declare -f "scenario_$1" >/dev/null; then
      "scenario_$1"
    else
      echo "no scenario $1" >&2
      exit 2
    fi
    ;;
esac
