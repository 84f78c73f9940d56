#!/usr/bin/env bash
# A person grids the example survey points: korvel is started with the
# point file; the person applies the load dialog, clicks Grid and Invers,
# accepts the proposed geometry and the search radius, waits for the
# contour viewer, takes a screen shot, leaves the viewer with eXit, names
# the set "river"; then starts a second, long gridding (radius 2000 m) and
# stops it with Escape, and ends korvel with the keys F and X. The log must
# say the first set was stored and the second gridding stopped; the screen
# shot must show the grid filled in the value classes' colours.
#
# Clicks go by label through the layout log (person.sh).
. "$(dirname "$0")/session.sh"
start_korvel "$ex/river_points.xyz"

click_on Apply   # the load dialog
wait_log '^found    29993 points'
click_on Grid
click_on Invers
click_on Apply   # the proposed geometry
click_on Apply   # search radius 10 m, quadrant search
wait_for_menu Alter   # the viewer's menu appears once the grid is drawn
shot viewer
click_on eXit
type_in "river"
wait_log 'DATA STORED'

# A second gridding with a radius of 2000 m, which takes long: the person
# presses Escape while the bar runs, and nothing is stored.
click_on Grid
click_on Invers
click_on Apply   # the proposed geometry
click_on "Search Radius[m]"
sleep 0.3
xdotool key --delay 30 BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 30 "2000"
xdotool key Return
click_on Apply
sleep 0.3
xdotool key Escape
wait_log 'gridding interrupted'
quit

grep -qx 'DATA STORED AS NUMBER    1' outp || fail "the set was not stored"
grep -qx 'gridding interrupted: nothing changed' outp || fail "Escape did not stop the gridding"
! grep -q 'DATA STORED AS NUMBER    2' outp || fail "the stopped gridding stored a set"

# The screen shot: the plot is filled with many colours (the value
# classes and their legend).
n=$(colours viewer)
echo "colours in the plot: $n"
[ "$n" -gt 12 ] || fail "the grid is not filled in its classes' colours"
echo "grid person session ok"
