#!/usr/bin/env bash
# A person loads a file that cannot be read whole: File, Load, the file in
# the browser, Open. korvel rejects it without a load dialog; the reason
# (the line of the short record) and "load failed" stand on the message line
# and in the log, and the store stays empty: the Edit entry stays disabled.
# Then a grid as GIS tools write it (exponent forms, a single-precision
# NODATA value) loads whole.
#
# Clicks go by label through the layout log (SKETRA_LAYOUT_LOG), as in
# test_click_through.sh.
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/run"
cd "$work/run"
printf '2600000 1200000 400\n2600001 1200001\n2600002 1200002 402\n' > broken.xyz
printf 'ncols 2\nnrows 2\nxllcorner 2600000\nyllcorner 1200000\ncellsize 10\n' > gis.asc
printf 'NODATA_value -3.4028234663852886e+38\n4.0e+02 4.02E2\n4.01e2 -3.4028234663852886e+38\n' >> gis.asc
layout=$work/layout.log

SKETRA_LAYOUT_LOG=$layout timeout 120 "$KORVEL" > "$work/korvel.out" &
pid=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Korvel_4\.01$' | head -1)

. "$KORVEL_SOURCE_DIR/tests/e2e/person.sh"  # click_on LABEL, wait_for_menu LABEL
fail() { echo "$*"; cat "$work/korvel.out"; kill "$pid" 2> /dev/null || true; exit 1; }
wait_log() {
  for _ in $(seq 100); do
    grep -qxF -- "$1" outp 2> /dev/null && return 0
    sleep 0.2
  done
  fail "not in outp: $1"
}

click_on File
click_on Load
click_on broken.xyz
click_on Open
wait_log "record with too few values at line 2 of broken.xyz"
wait_log "load failed: broken.xyz"
sleep 0.5
import -window "$wid" "$work/rejected.png"
! grep -q '^found' outp || fail "points of the broken file were kept"

click_on File
click_on Load
click_on gis.asc
click_on Open
wait_log "   NODATA_value  -0.340282347E+39"
sleep 0.5
import -window "$wid" "$work/grid.png"
[ -n "${KORVEL_SHOTS:-}" ] && cp "$work"/*.png "$KORVEL_SHOTS"/
! grep -q 'load failed: gis.asc' outp || fail "the GIS grid was rejected"

# The message line (the lowest band of the window) holds dark text after
# the rejection.
text=$(convert "$work/rejected.png" -gravity south -crop 100%x6%+0+0 +repage -threshold 50% -negate \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$text" -gt 100 ] || fail "no message on the screen ($text dark pixels)"

xdotool mousemove --window "$wid" 500 400
sleep 0.2
xdotool key f
sleep 0.3
xdotool key x
status=0
wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"
