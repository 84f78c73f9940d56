#!/usr/bin/env bash
# What a person sees is what korvel has drawn: after each of a few dozen
# steps -- keys and clicks across the main menu, eXport, the grid viewer,
# its dialogs and text pages, Yaw and a resize -- a screen grab of the
# window is compared with korvel's own picture of it (SKETRA_PICTURE_FILE:
# the off-screen picture, written whenever korvel waits for input). Any
# differing pixel fails the test; both pictures of the failing step are
# kept in screen_current_failures in ctest's working directory.
failures=$PWD/screen_current_failures  # ctest's working directory
. "$(dirname "$0")/session.sh"
picture=$work/picture.ppm
SKETRA_PICTURE_FILE=$picture start_korvel "$ex/river_grid.asc"
xdotool mousemove --window "$wid" 600 400

steps=0
# check WHAT: the window on the screen against korvel's picture.
check() {
  steps=$((steps + 1))
  kill -0 "$pid" 2> /dev/null || fail "korvel ended before: $1"
  import -window "$wid" grab.png
  local differ
  differ=$(compare -metric AE grab.png "$picture" null: 2>&1 || true)
  if [ "$differ" != "0" ]; then
    echo "step $steps ($1): $differ pixels differ between the screen and korvel's picture"
    mkdir -p "$failures"
    cp grab.png "$failures/grab_$steps.png"
    convert "$picture" "$failures/picture_$steps.png"
    exit 1
  fi
}

# key K... WHAT: types the keys, waits until korvel waits again, checks.
key() {
  local what=$1
  shift
  keys "$@"
  check "$what"
}

settle none
check "start-up: the grid loaded, the main menu"
key "File pull-down" f
key "File help" shift+slash
key "help closed" d
key "eXport pull-down" x
key "eXport help" shift+slash
key "help closed" d
key "Grid, not available for a grid alone" g
key "Edit: the pick list" e
clicked "       200/110"  # the pick list's row of the grid set
check "the grid set in the viewer"
key "Nearest at the pointer" n
key "Examine at the pointer" e
key "Grid lines on" g
key "Grid lines off" g
key "Sum: the dialog" s
key "Sum applied: the first table" Return
key "the second table" d
key "Sum done" d
key "Alter" a
key "Alter help" shift+slash
key "Alter help closed" Escape
key "Alter closed" Escape
key "Inquire" i
key "Inquire help" shift+slash
key "Inquire help closed" d
key "Inquire done" d
key "Write" w
key "Write: the file dialog" g
key "file dialog cancelled" Escape
key "Write done" d
key "Yaw" y
key "Yaw clockwise" c
key "Yaw left" l
key "Yaw original" o
key "Yaw menu left" x

resize 900 680
check "the window made smaller"
resize 1100 860
check "the window made larger"
key "Replot after the resize" r
key "the viewer left: save or ignore" x
key "changes ignored" i
key "File pull-down" f
xdotool key x
wait_end
echo "$steps steps: the screen showed korvel's picture each time"
