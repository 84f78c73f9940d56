#!/usr/bin/env bash
# A person loads files with the mouse: File, Load, the file in the browser
# (a click puts it into the Filename field), Open.
#   - A file that cannot be read whole is rejected without a load dialog;
#     the reason (the line of the short record) and "load failed" stand on
#     the message line and in the log, and nothing of it is kept.
#   - The example survey points load through the load dialog (Apply); the
#     count message reaches the log.
#   - A grid as GIS tools write it (exponent forms, a single-precision
#     NODATA value) loads whole.
# The keys F and X leave.
#
# Clicks go by label, never at fixed pixels: korvel writes the boxes of
# everything a click can choose to the layout log (SKETRA_LAYOUT_LOG, see
# sketra/ui/menus.h), and click_on (person.sh) takes the box from there.
. "$(dirname "$0")/session.sh"
cp "$ex/river_points.xyz" points.xyz
printf '2600000 1200000 400\n2600001 1200001\n2600002 1200002 402\n' > broken.xyz
printf 'ncols 2\nnrows 2\nxllcorner 2600000\nyllcorner 1200000\ncellsize 10\n' > gis.asc
printf 'NODATA_value -3.4028234663852886e+38\n4.0e+02 4.02E2\n4.01e2 -3.4028234663852886e+38\n' >> gis.asc

start_korvel
# load FILE: File, Load, FILE into the Filename field, Open.
load() {
  click_on File
  click_on Load
  click_on "$1"
  click_on Open
}

load broken.xyz
wait_log "^record with too few values at line 2 of broken.xyz$"
wait_log "^load failed: broken.xyz$"
sleep 0.5
shot rejected
! grep -q '^found' outp || fail "points of the broken file were kept"

load points.xyz
click_on Apply   # the load dialog
wait_log '^found    29993 points (        0 edges)$'

load gis.asc
wait_log "^   NODATA_value  -0.340282347E+39$"
! grep -q 'load failed: gis.asc' outp || fail "the GIS grid was rejected"
quit

# The message line (the lowest band of the window) holds dark text after
# the rejection.
text=$(convert "$work/rejected.png" -gravity south -crop 100%x6%+0+0 +repage -threshold 50% -negate \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$text" -gt 100 ] || fail "no message on the screen ($text dark pixels)"
echo "loading by mouse ok"
