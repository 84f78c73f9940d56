# Helpers for end-to-end sessions of a person, sourced by the test
# scripts: clicks go by the label of a menu cell or button, found in the
# layout log that korvel writes when SKETRA_LAYOUT_LOG names it (one line
# per drawn cell: x y width height label).
#
# The caller sets `layout` (the log), `wid` (the window) and a `fail`
# function; `seen` counts the log lines that belong to the past.

seen=0

# Clicks the middle of the last cell labelled $1 drawn since the last click.
click_on() {
  local box=""
  for _ in $(seq 600); do
    box=$({ tail -n "+$((seen + 1))" "$layout" 2>/dev/null || true; } |
      awk -v want="$1" '{ label = $0; for (k = 0; k < 4; ++k) sub(/^[^ ]+ /, "", label) }
                        label == want { box = int($1 + $3 / 2) " " int($2 + $4 / 2) }
                        END { print box }')
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || fail "\"$1\" was not drawn"
  sleep 0.3
  seen=$(wc -l < "$layout")
  # shellcheck disable=SC2086  # $box is "x y"
  xdotool mousemove --window "$wid" $box click 1
}
# Waits until a menu cell labelled $1 is drawn after the last click.
wait_for_menu() {
  for _ in $(seq 600); do
    tail -n "+$((seen + 1))" "$layout" | grep -q " $1\$" && return
    sleep 0.1
  done
  fail "\"$1\" did not appear"
}

# Tests that compare pictures set `picture` to the file korvel writes its
# off-screen picture to whenever it waits for input (SKETRA_PICTURE_FILE).
picture_stamp() { stat -c %.9Y "$picture" 2> /dev/null || echo none; }
# settle BEFORE: waits until korvel has written a new picture since the
# stamp BEFORE and then writes none for half a second (it waits for input).
settle() {
  local before=$1 now
  for _ in $(seq 100); do
    now=$(picture_stamp)
    [ "$now" != "$before" ] && break
    sleep 0.1
  done
  while :; do
    sleep 0.5
    [ "$(picture_stamp)" = "$now" ] && break
    now=$(picture_stamp)
  done
}
# keys K...: each key pressed in turn, each time until korvel waits again.
keys() {
  local before k
  for k in "$@"; do
    before=$(picture_stamp)
    xdotool key "$k"
    settle "$before"
  done
}
# clicked LABEL: click_on LABEL, then until korvel waits again.
clicked() { local before; before=$(picture_stamp); click_on "$1"; settle "$before"; }
# resize W H: the window resized, then until korvel has drawn it anew.
resize() { local before; before=$(picture_stamp); xdotool windowsize "$wid" "$1" "$2"; settle "$before"; }
