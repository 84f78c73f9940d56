# Sourced by end-to-end tests that play a person with xdotool.
#
# click_on LABEL waits until something drawn since the last click shows
# LABEL in the layout log, lets the drawing finish, and clicks the centre of
# LABEL's box (see sketra/ui/menus.h). The test sets `layout` (the file
# named by SKETRA_LAYOUT_LOG) and `wid` (korvel's window) first.
seen=0
click_on() {
  local box=""
  for _ in $(seq 150); do
    box=$({ tail -n "+$((seen + 1))" "$layout" 2>/dev/null || true; } |
      awk -v want="$1" '{ label = $0; for (k = 0; k < 4; ++k) sub(/^[^ ]+ /, "", label) }
                        label == want { box = int($1 + $3 / 2) " " int($2 + $4 / 2) }
                        END { print box }')
    [ -n "$box" ] && break
    sleep 0.1
  done
  [ -n "$box" ] || { echo "\"$1\" was not drawn"; tail -n 20 "$layout"; return 1; }
  sleep 0.3
  seen=$(wc -l < "$layout")
  # shellcheck disable=SC2086  # $box is "x y"
  xdotool mousemove --window "$wid" $box click 1
}
