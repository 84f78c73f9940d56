#!/usr/bin/env bash
# A whole session without a person: korvel started with two example files
# and a SKETRA_SCRIPT that answers both load dialogs, adds the sections
# through File Add, opens the File help and the help screen, closes them and
# leaves through File eXit. The settings file left by an earlier session
# sets the window width and is left as it was.
. "$(dirname "$0")/session.sh"
cp "$ex/river_sections.unstruct" sec.unstruct

# A settings file that ends after the interval counts: 26 x-axis intervals
# give a window (26 + 4.5) * 50 * 0.7865 = 1199 pixels wide; its height
# holds the plot and, below it, the 46-pixel strip of the message line.
grset 26 > .grset
cp .grset settings.before

# Part one answers everything up to the help screen and then runs dry: the
# main menu waits for the person, who is played by xdotool below.
cat > session <<'SCRIPT'
## the load dialogs of the two files on the command line: apply
D
D
## File Add: the sections (their file gives its colours: no load dialog)
F
A
sec.unstruct
## File help, closed again
F
?
D
## the help screen, closed again
?
D
SCRIPT

SKETRA_SCRIPT=session start_korvel "$ex/river_points.xyz" "$ex/river_banks.xyzi"
# Wait until the script has run dry: the log has the sections' count.
wait_log '^found        6 sections$'
geometry=$(xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "1199x832" ] || fail "window is $geometry"
quit

grep -q '^found    29993 points (        0 edges)$' outp
grep -q '^found    32833 points (     2836 edges)$' outp
grep -q '^ >>unstruct$' outp
grep -q '^found    33284 points (     2908 edges)$' outp
# Nothing was left unanswered or misread.
! grep -q 'unknown script line' outp
cmp .grset settings.before
