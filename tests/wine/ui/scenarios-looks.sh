# The scenarios of how the windows look, at 96 and at 120 DPI: the backdrop's
# gradient and title, the dialog's size, place and controls in twips, and a
# screenshot of each. Sourced by scenarios.sh, whose pieces they use.

# Saves the screen as $UI_WORK/$1.png (a .bmp where ImageMagick is missing).
save_screenshot() {
  mkdir -p "$UI_WORK"
  ui_drive screenshot "$WINEPREFIX/screen.bmp"
  convert "$WINEPREFIX/screen.bmp" "$UI_WORK/$1.png" 2>/dev/null ||
    cp "$WINEPREFIX/screen.bmp" "$UI_WORK/$1.bmp"
  ui_check "a screenshot is kept" test -s "$UI_WORK/$1.png"
  echo "  screenshot: $UI_WORK/$1.png"
}

scenario_looks() {
  start_with_product looks
  local backdrop dialog sw sh dpi
  backdrop=$(ui_drive window frmBackDrop)
  read -r sw sh <<<"$(sed -n 's/^screen //p' <<<"$backdrop")"
  dpi=$(sed -n 's/^dpi //p' <<<"$backdrop")
  ui_check_eq "the screen runs at 96 DPI" "$dpi" 96
  ui_check_has "the backdrop covers the screen" "$backdrop" "outer 0 0 $sw $sh"

  # The gradient down the right-hand edge, clear of the title and the dialog.
  local column
  column=$(ui_drive column $((sw - 3)) 0 $((sh - 1)) 1)
  ui_check_eq "bright blue at the top" "$(sed -n 1p <<<"$column")" "0 0 0 255"
  ui_check_eq "black at the bottom" "$(tail -1 <<<"$column" | cut -d' ' -f2-)" "0 0 0"
  ui_check "only shades of blue, never brighter further down" awk '
    $2 != 0 || $3 != 0 { exit 1 }
    NR > 1 && $4 > last { exit 1 }
    { last = $4 }' <<<"$column"
  ui_check "half way down, half the blue" awk -v m=$((sh / 2)) '$1 == m { exit !($4 >= 125 && $4 <= 130) }' <<<"$column"

  # The title: white letters over a black shadow near the top-left.
  local region
  region=$(ui_drive region 0 0 400 48)
  ui_check "white title letters near the top-left" test "$(sed -n 's/^white //p' <<<"$region")" -gt 200
  ui_check "a black shadow beside them" test "$(sed -n 's/^black //p' <<<"$region")" -gt 200
  ui_check "nothing white further down" test "$(ui_drive region 0 60 400 100 | sed -n 's/^white //p')" -eq 0

  dialog=$(ui_drive window Install)
  ui_check_has "the dialog's caption" "$dialog" "caption $title"
  ui_check_has "the dialog is a child of the backdrop" "$dialog" "parent frmBackDrop"
  ui_check_has "and a child window" "$dialog" "child 1"
  # 4380 x 2595 twips at 15 twips to the pixel.
  local inner
  inner=$(sed -n 's/^inner //p' <<<"$dialog")
  ui_check_eq "inner size from the twips" "$(cut -d' ' -f3,4 <<<"$inner")" "292 173"
  local ox oy ow oh
  read -r ox oy ow oh <<<"$(sed -n 's/^outer //p' <<<"$dialog")"
  local ex ey
  ex=$(awk -v s="$sw" -v w="$ow" 'BEGIN { t = (s * 15 / 2 - w * 15 / 2 - 4) / 15; printf "%d", int(t + 0.5) }')
  ey=$(awk -v s="$sh" -v h="$oh" 'BEGIN { t = (s * 15 / 2 - h * 15 / 2) / 15; printf "%d", int(t + 0.5) }')
  ui_check_eq "centred as centerForm puts it" "$ox $oy" "$ex $ey"

  local controls
  controls=$(ui_drive controls Install | cut -f1-3)
  # Twips / 15; the list sits at the frame's position plus its own.
  ui_check_has "Remove" "$controls" $'Button\t&Remove\t121 145 81 24'
  ui_check_has "Exit" "$controls" $'Button\tE&xit\t206 145 81 24'
  ui_check_has "the frame" "$controls" $'Button\tApplication(s) found\t3 7 285 132'
  ui_check_has "the list" "$controls" $'ListBox\t\t9 25 273 108'
  local style
  style=$(ui_drive controls Install | awk -F'\t' '$1 == "ListBox" { sub(/.*style=/, "", $4); print $4 }')
  ui_check "the list selects several entries, one click each" test $((0x$style & 0x8)) -ne 0
  ui_check "the list is not sorted" test $((0x$style & 0x2)) -eq 0

  ui_drive click-item 0
  save_screenshot dialog-over-backdrop
  exit_question Yes
  ui_wait_end 20
  finish
}

# At 120 DPI (125 %) the same twips make a larger dialog: 12 twips to the pixel.
scenario_looks_120dpi() {
  echo "== looks_120dpi"
  ui_fresh_prefix looks_120dpi
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  ui_demo lay >/dev/null
  ui_start
  ui_drive wait-window Install '*' 15000 >/dev/null || { echo "the main dialog never showed"; exit 1; }
  local dialog
  dialog=$(ui_drive window Install)
  ui_check_has "the screen runs at 120 DPI" "$dialog" "dpi 120"
  ui_check_eq "inner size: 4380 x 2595 twips" "$(sed -n 's/^inner //p' <<<"$dialog" | cut -d' ' -f3,4)" "365 216"
  local controls
  controls=$(ui_drive controls Install | cut -f1-3)
  # 1815 / 12 = 151.25, 2175 / 12 = 181.25, (1815 + 1215) / 12 = 252.5 -> 252
  ui_check_has "Remove" "$controls" $'Button\t&Remove\t151 181 101 30'
  ui_check_has "the list" "$controls" $'ListBox\t\t11 31 341 135'
  ui_drive click-item 0
  save_screenshot dialog-over-backdrop-120dpi
  exit_question Yes
  ui_wait_end 20
  finish
}
