# The start every end-to-end script shares, sourced as its first line:
#
#   . "$(dirname "$0")/session.sh"
#
# It sets strict mode, checks KORVEL (the program) and KORVEL_SOURCE_DIR,
# and makes a fresh working directory $work/run (korvel writes "outp" and
# ".grset" where it runs) that is removed at the end, with korvel if it is
# still running; KEEP=1 keeps it. $ex names the example folder, $e2e this
# one. A script then runs korvel to its end on a script of answers
# (run_script), or starts it for a person (start_korvel), clicks by label
# (click_on, wait_for_menu from person.sh), types (type_in, save_page), and
# leaves (leave_viewer, quit).
set -euo pipefail
: "${KORVEL:?}" "${KORVEL_SOURCE_DIR:?}"
e2e=$KORVEL_SOURCE_DIR/tests/e2e
ex=$KORVEL_SOURCE_DIR/examples
work=$(mktemp -d)
out=$work/korvel.out  # korvel's standard output and error
layout=$work/layout.log
pid=
finish() {
  [ -z "$pid" ] || kill "$pid" 2> /dev/null || true
  if [ -n "${KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap finish EXIT
mkdir "$work/run"
cd "$work/run"

# fail MESSAGE: ends the test, showing what korvel said last.
fail() {
  echo "$*"
  [ ! -s "$out" ] || tail -n 20 "$out"
  exit 1
}

# run_script SCRIPT ARGS...: korvel with SKETRA_SCRIPT=SCRIPT to its end;
# it must end with status 0 and have understood every line.
run_script() {
  local script=$1
  shift
  SKETRA_SCRIPT=$script timeout 200 "$KORVEL" "$@" > "$out" 2>&1 || fail "korvel failed on $script"
  ! grep -q 'unknown script line' outp || fail "$script was misread: $(grep 'unknown script line' outp)"
}

# start_korvel ARGS...: korvel in the background with its layout log (for
# click_on); waits for its window, $wid. Answers may go first from a
# script: SKETRA_SCRIPT=FILE start_korvel ...
start_korvel() {
  SKETRA_LAYOUT_LOG=$layout timeout 300 "$KORVEL" "$@" > "$out" 2>&1 &
  pid=$!
  # Its own window, by the process id korvel sets on it: other tests may
  # have korvel windows of the same name open on the display at the time.
  local child=
  for _ in $(seq 300); do
    child=$(pgrep -P "$pid" -x korvel || true)
    [ -n "$child" ] && break
    sleep 0.1
  done
  [ -n "$child" ] || fail "korvel did not start"
  wid=$(timeout 30 xdotool search --sync --onlyvisible --pid "$child" | head -1)
  [ -n "$wid" ] || fail "no korvel window"
  seen=0
}

# quit: the keys F and X at the main menu (the pointer moved into the
# window, which takes the keys); korvel must end with status 0.
quit() {
  xdotool mousemove --window "$wid" 500 400
  sleep 0.2
  xdotool key f
  sleep 0.3
  xdotool key x
  wait_end
}

# wait_end: waits until korvel ends, which must be with status 0.
wait_end() {
  local status=0
  wait "$pid" || status=$?
  pid=
  [ "$status" -eq 0 ] || fail "exit status $status"
}

# leave_viewer: the key x leaves the display mode shown, then quit.
leave_viewer() {
  xdotool mousemove --window "$wid" 500 400
  xdotool key x
  sleep 0.5
  quit
}

# type_in TEXT: TEXT and Return typed into the prompt that a click opened.
type_in() {
  sleep 0.5
  xdotool type --delay 20 "$1"
  xdotool key Return
}

# save_page FILE: Save on the text page shown, FILE typed as its name;
# waits until the file is written.
save_page() {
  click_on Save
  type_in "$1"
  for _ in $(seq 50); do [ -s "$1" ] && break; sleep 0.1; done
}

# wait_log PATTERN: waits up to 20 s until a line of the log "outp"
# matches PATTERN (grep).
wait_log() {
  for _ in $(seq 100); do
    grep -q -- "$1" outp 2> /dev/null && return 0
    sleep 0.2
  done
  fail "not in outp: $1"
}

# shot NAME: the window, once drawn, as $work/NAME.png (and into
# $KORVEL_SHOTS when that names a folder).
shot() {
  sleep 1
  import -window "$wid" "$work/$1.png"
  [ -z "${KORVEL_SHOTS:-}" ] || cp "$work/$1.png" "$KORVEL_SHOTS/"
}

# grset XINTERVALS: the settings file as korvel writes it, up to the number
# of x-axis intervals (the rest of a full file follows it).
grset() {
  printf '%s\n' "/GRAPHIC ATTRIBUTES" " 1 /CALC SCALES" " 1 /DEP SCALING" " 1 /DRAW AXES" " 0 /DRAW GRID" \
    " 1 /INTERACTIVE MODE" " 1 /TIC SPACING CENTIMETERS" " 1 /DRAW NO-DATA VALUES" " 2   5  12 /COLOR MODES" \
    " 0 /SINGLE BUFFERED" " 1 /SAVE HARDCOPY FILE" " 1 /COLOR POSTSCRIPT" " 1 /DOMAIN BOUNDARY" \
    " 1 /REDRAW KEEP FILES" " 0 0 0 /MONO CONTOURS WITH LABELS, PAPER-SIZE"
  printf '%4d /NUMBER OF X-AXIS INTERVALS\n' "$1"
}

# colours NAME [GEOMETRY]: the colours in screen shot NAME, within
# GEOMETRY (default: the plot).
colours() { convert "$work/$1.png" -crop "${2:-900x650+70+40}" +repage -format %k info:; }

# pixels NAME COLOUR: the pixels of COLOUR in screen shot NAME.
pixels() {
  convert "$work/$1.png" -fill black +opaque "$2" -fill white -opaque "$2" -format '%[fx:int(mean*w*h)]' info:
}

. "$e2e/person.sh"
