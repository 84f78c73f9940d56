#!/usr/bin/env bash
# A person measures on a tilted plane (z = 400 + 0.1 x + 0.05 y, 200 x 150
# m; Map shows it): Inquire, Slope and two clicks (the message gives
# distance and slope); Volume: four clicks, Done, level 430 typed; the page
# of area and volumes is on the screen (screen shot), saved, closed; Done,
# x, F X. The slope lies within the plane's gradient, the volume below the
# level between the plane's least and greatest depth under it.
. "$(dirname "$0")/session.sh"

. "$e2e/surface/plane.sh"  # plane.node, plane.ele

start_korvel plane.node
click_on Map
wait_for_menu Inquire
sleep 1
read -r ww wh < <(xdotool getwindowgeometry "$wid" | awk '/Geometry/ { split($2, g, "x"); print g[1], g[2] }')
cx=$((ww * 2 / 5)) cy=$((wh / 2))
at() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.4; }

click_on Inquire
click_on Slope
at $((cx - 100)) $((cy + 60))
at $((cx + 120)) $((cy - 40))
wait_log "^distance="
shot slope
click_on Volume
wait_for_menu Read
at $((cx - 80)) $((cy - 60))
at $((cx + 90)) $((cy - 60))
at $((cx + 90)) $((cy + 70))
at $((cx - 80)) $((cy + 70))
click_on Done
type_in 430
wait_for_menu Save
shot volume
save_page volume.txt
click_on Done   # the page
click_on Done   # Inquire
sleep 0.5
leave_viewer

# Slope: along any leg at most the plane's gradient, 11.18 %. Volume: the
# plane lies wholly below 430 m, 400 ... 418.5 m.
awk '/^distance=/ { split($0, w, /[=%m ]+/); s = w[4] < 0 ? -w[4] : w[4]; ok = w[2] > 10 && s <= 11.18 && s > 1; exit }
     END { exit !ok }' outp || fail "slope message: $(grep '^distance=' outp)"
awk -F '=' '{ v[NR] = $2 + 0; k[NR] = $1 }
  END { exit !(NR == 3 && k[1] == "Area        [m2]" && v[1] > 100 && v[2] >= 11.5 * v[1] && v[2] <= 30 * v[1] && v[3] == 0) }' \
  volume.txt || fail "the volume page: $(cat volume.txt)"
[ "$(colours volume)" -ge 8 ] || fail "the surface is not on the screen"
echo "surface inquire person session ok: $(tr '\n' ' ' < volume.txt)"
