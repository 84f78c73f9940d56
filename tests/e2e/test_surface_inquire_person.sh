#!/usr/bin/env bash
# A person measures on a tilted plane (z = 400 + 0.1 x + 0.05 y, 200 x 150
# m; Map shows it): Inquire, Slope and two clicks (the message gives
# distance and slope); Volume: four clicks, Done, level 430 typed; the page
# of area and volumes is on the screen (screen shot), saved, closed; Done,
# x, F X. The slope lies within the plane's gradient, the volume below the
# level between the plane's least and greatest depth under it.
. "$(dirname "$0")/session.sh"

awk 'BEGIN { nx = 21; ny = 16; print nx * ny, 2, 1, 0 > "plane.node"; print 2 * (nx - 1) * (ny - 1), 3, 0 > "plane.ele"
  for (j = 0; j < ny; ++j) for (i = 0; i < nx; ++i) {
    p = j * nx + i + 1; printf "%d %.3f %.3f %.3f\n", p, 2600000 + 10 * i, 1200000 + 10 * j, 400 + i + 0.5 * j > "plane.node"
    if (i < nx - 1 && j < ny - 1) { print ++k, p, p + 1, p + nx + 1 > "plane.ele"; print ++k, p, p + nx + 1, p + nx > "plane.ele" } } }'

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
sleep 0.5
xdotool type --delay 20 430
xdotool key Return
wait_for_menu Save
shot volume
click_on Save
sleep 0.5
xdotool type --delay 20 volume.txt
xdotool key Return
for _ in $(seq 50); do [ -s volume.txt ] && break; sleep 0.1; done
click_on Done   # the page
click_on Done   # Inquire
sleep 0.5
xdotool key x
sleep 0.5
quit

# Slope: along any leg at most the plane's gradient, 11.18 %. Volume: the
# plane lies wholly below 430 m, 400 ... 418.5 m.
awk '/^distance=/ { split($0, w, /[=%m ]+/); s = w[4] < 0 ? -w[4] : w[4]; ok = w[2] > 10 && s <= 11.18 && s > 1; exit }
     END { exit !ok }' outp || fail "slope message: $(grep '^distance=' outp)"
awk -F '=' '{ v[NR] = $2 + 0; k[NR] = $1 }
  END { exit !(NR == 3 && k[1] == "Area        [m2]" && v[1] > 100 && v[2] >= 11.5 * v[1] && v[2] <= 30 * v[1] && v[3] == 0) }' \
  volume.txt || fail "the volume page: $(cat volume.txt)"
[ "$(colours volume)" -ge 8 ] || fail "the surface is not on the screen"
echo "surface inquire person session ok: $(tr '\n' ' ' < volume.txt)"
