#!/usr/bin/env bash
# The demo: builds sprellow, lays the QUOB demo product into a fresh Wine
# prefix under build/demo/, and runs sprellow.exe from the product's install
# folder. With a display (DISPLAY set) you drive it yourself. Without one it
# runs under Xvfb and drives itself through the whole story, saving a PNG
# screenshot of each stage under build/demo/, and prints what the product
# had before and what is left after.
#
# DEMO_BUILD=<build folder> uses an existing win32 build instead of the preset.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ -z "${DEMO_INSIDE_XVFB:-}" ]; then
  "$root/tools/bootstrap.sh"
  if [ -n "${DEMO_BUILD:-}" ]; then
    cmake --build "$DEMO_BUILD" --target sprellow demoproduct uidriver
  else
    cmake --preset win32 >/dev/null
    cmake --build --preset win32 --target sprellow demoproduct uidriver
  fi
fi

export UI_BIN=${DEMO_BUILD:-$root/build/win32}/bin
export UI_WORK=$root/build/demo
export UI_ROOT=$root

if [ -z "${DISPLAY:-}" ]; then
  echo "demo: no display, so the demo runs under Xvfb and drives itself"
  export DEMO_INSIDE_XVFB=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$root/tools/demo.sh" "$@"
fi

source "$root/tests/wine/ui/lib.sh"
ui_fresh_prefix demo
if [ -z "${DEMO_INSIDE_XVFB:-}" ]; then
  # A real desktop: let its window manager frame Wine's windows.
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
fi

echo
echo "=== laying the demo product into $WINEPREFIX"
ui_demo lay --files-per-app 150 >"$UI_WORK/laid.txt"
before=$(ui_demo show)
echo "$before" >"$UI_WORK/before.txt"
echo "the product has $(grep -c '^file' <<<"$before") files, $(grep -c '^folder' <<<"$before") folders and $(grep -c '^key' <<<"$before") registry keys"

shots=$UI_WORK
rm -f "$shots"/*.png
shot() {  # stage name
  import -window root "$shots/$1.png"
  echo "    screenshot $shots/$1.png"
}

echo
echo "=== running sprellow.exe from $ui_product_dir"
ui_start

if [ -z "${DEMO_INSIDE_XVFB:-}" ]; then
  echo "the uninstaller is on your display; it ends when you press Exit and Yes, or Remove"
  while ui_running; do sleep 0.5; done
else
  step() { echo "--- $*"; }
  ui_drive wait-window Install '*' 20000 >/dev/null
  step "the list of applications found"
  ui_drive list | sed 's/^1\t/    [x] /; s/^0\t/    [ ] /'
  shot 1-list

  step "selecting the first and the last application"
  ui_drive click-item 0
  ui_drive click-item 2
  ui_drive list | sed 's/^1\t/    [x] /; s/^0\t/    [ ] /'
  shot 2-selection

  step "Exit, answered No"
  ui_drive click-button Exit
  ui_drive msgbox | sed 's/^/    /'
  shot 3-exit-question
  ui_drive answer No >/dev/null

  step "Remove"
  ui_drive press-and-watch Remove 60000 "$UI_WORK/progress.bmp" >"$UI_WORK/progress.txt" || true
  cut -f1,2 "$UI_WORK/progress.txt" | sed 's/^/    progress window: /; s/\t/ | /'
  if [ -f "$UI_WORK/progress.bmp" ]; then
    convert "$UI_WORK/progress.bmp" "$shots/4-progress.png" && rm -f "$UI_WORK/progress.bmp"
    echo "    screenshot $shots/4-progress.png"
  fi

  step "the closing message"
  ui_drive msgbox 30000 | sed 's/^/    /'
  shot 5-closing-message
  ui_drive answer OK >/dev/null
  ui_wait_end 30 || true
  echo "    sprellow ended (exit code $ui_exit)"
fi

# Folders, the product's keys and the file types (their subkeys go with them).
summary() {
  grep -E '^folder|^key +HKLM|^key +HKCR\\\.' | sed 's/^/    /'
}

after=$(ui_demo show)
echo "$after" >"$UI_WORK/after.txt"
echo
echo "=== before: $(grep -c '^file' <<<"$before") files and $(grep -c '^key' <<<"$before") keys ($UI_WORK/before.txt lists everything)"
summary <<<"$before"
echo
echo "=== after: what is left"
if [ -z "$after" ]; then
  echo "    nothing"
else
  summary <<<"$after"
  echo "    ($(grep -c '^file' <<<"$after") files and $(grep -c '^key' <<<"$after") keys in all; $UI_WORK/after.txt lists everything)"
fi
echo
echo "screenshots: $(ls "$shots"/*.png 2>/dev/null | tr '\n' ' ')"
