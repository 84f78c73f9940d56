#!/usr/bin/env bash
# A person loads a file with the mouse: File, Load, the file in the browser
# (a click puts it into the Filename field), Open, Apply in the load dialog;
# then the keys F and X leave. The message line's count message reaches the
# log.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"   # korvel's directory holds only what the browser should list
cp "$KORVEL_SOURCE_DIR/examples/river_points.xyz" points.xyz

timeout 120 "$KORVEL" > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)
sleep 0.5
click() { xdotool mousemove --window "$wid" "$1" "$2" click 1; sleep 0.4; }
# Window 1120 x 786: the bar's buttons are centred 11 pixels below the top,
# File at x 93; the pull-down rows are 19 pixels apart.
click 93 11    # File
click 93 30    # Load
# The browser lists "../", "outp", "points.xyz" from 28 pixels below its
# title, rows 14 pixels apart; its buttons <<<, >>>, All files, Open and
# Cancel lie 649 pixels from the top, 78.5 pixels apart.
click 123 84
click 376 649  # Open
# The load dialog: eight fields, then Apply.
click 141 188
for _ in $(seq 100); do
  grep -q '^found    29993 points (        0 edges)$' outp 2>/dev/null && break
  sleep 0.2
done
xdotool mousemove --window "$wid" 500 400
sleep 0.2
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/korvel.out"; exit 1; }
grep -qx 'found    29993 points (        0 edges)' outp
