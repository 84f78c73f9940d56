#!/usr/bin/env bash
# A person looks at the example rating curves in the section viewer: korvel
# is started with the table file, which opens the viewer; the person clicks
# Stat> and then the top right of the plot (the last node of the first
# curve), saves the statistics page, does the same with Write>, takes a
# screen shot, leaves with Escape and ends korvel with the keys F and X.
# The saved pages are compared byte for byte; the screen shot must show
# both curves' markers inside the plot.
#
# Clicks go by label through the layout log (person.sh).
. "$(dirname "$0")/session.sh"
start_korvel "$ex/river_table.unstruct"

# A pick entry, then a click at the top right of the plot, where the last
# node of the first curve (395.61 m3/s at 426.90 m) lies; its page is saved
# as $2.
pick_and_save() {
  click_on "$1"
  sleep 0.3
  xdotool mousemove --window "$wid" 960 40 click 1
  save_page "$2"
  click_on Done
}

pick_and_save "Stat>" stat.txt
pick_and_save "Write>" write.txt
shot viewer
click_on Escape
sleep 0.5
quit

# The first curve: 24 water levels summing to 10190.40 m.
printf '%s\n' "ITEM   1" \
  "nodes=             24" \
  "mean=         424.600" \
  "median=       424.600" \
  "std.dev.=       1.414" \
  "volume=    167984.122" > stat.expected
diff stat.expected stat.txt || fail "Stat page differs"
[ "$(head -1 write.txt)" = "item ITEM   1" ] || fail "Write page header: $(head -1 write.txt)"
[ "$(wc -l < write.txt)" -eq 25 ] || fail "Write page: $(wc -l < write.txt) lines"
[ "$(sed -n 2p write.txt)" = "       0.480     422.300" ] || fail "Write page: first node $(sed -n 2p write.txt)"
[ "$(tail -1 write.txt)" = "     395.610     426.900" ] || fail "Write page: last node $(tail -1 write.txt)"

# The screen shot: the second curve's squares in its colour (palette colour
# 2 of bank 5) and the first curve's black circles inside the plot frame.
blue=$(convert "$work/viewer.png" -crop 900x650+70+40 +repage -fill black +opaque '#4F84FF' -fill white \
  -opaque '#4F84FF' -format '%[fx:int(mean*w*h)]' info:)
echo "marker pixels: $blue"
[ "$blue" -gt 100 ] || fail "the second curve's markers are not on the screen"
echo "section viewer ok"
