#!/usr/bin/env bash
# A person loads a file with the mouse: File, Load, the file in the browser
# (a click puts it into the Filename field), Open, Apply in the load dialog;
# then the keys F and X leave. The message line's count message reaches the
# log.
#
# The test clicks by label, never at fixed pixels: korvel writes the boxes of
# everything a click can choose to the layout log (SKETRA_LAYOUT_LOG, see
# sketra/ui/menus.h), and click_on takes the box from there.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"   # korvel's directory holds only what the browser should list
cp "$KORVEL_SOURCE_DIR/examples/river_points.xyz" points.xyz
layout=$work/layout.log

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)

# click_on LABEL: waits until something drawn since the last click shows
# LABEL, lets the drawing finish, and clicks the centre of LABEL's box.
fail() { echo "$*"; tail -n 20 "$layout"; kill "$pid" 2>/dev/null || true; exit 1; }
. "$KORVEL_SOURCE_DIR/tests/e2e/person.sh"  # click_on LABEL, wait_for_menu LABEL

click_on File
click_on Load
click_on points.xyz   # into the Filename field
click_on Open
click_on Apply        # the load dialog
for _ in $(seq 100); do
  grep -q '^found    29993 points (        0 edges)$' outp 2>/dev/null && break
  sleep 0.2
done
# The keys go to the window under the pointer: move it into the plot.
xdotool mousemove --window "$wid" 500 400
sleep 0.2
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; cat "$work/korvel.out"; exit 1; }
grep -qx 'found    29993 points (        0 edges)' outp
