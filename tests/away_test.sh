#!/usr/bin/env bash
# The away question in the real program: an item checked by a click, a
# quarter of an hour without input, then the mouse moves. The question must
# come in a window of its own while the minute tick goes on, Esc must keep
# the minutes, and "Remove" must take back the minutes credited while away
# and save, counting no switch. A question that comes while a modal dialog
# is open must take keys all the same.
#
# The X server and the program both run under libfaketime at 60 times the
# real speed, so the server's idle counter and the program's clock agree
# and a minute passes every second.
#
# usage: away_test.sh HOURWISE
set -euo pipefail

hourwise=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
source "$here/xvfb_display.sh"
make_work_folder

fail() { echo "FAIL: $*" >&2; echo "program output:" >&2; cat "$work/program.log" >&2; exit 1; }

libfaketime=$(find /usr/lib -name libfaketime.so.1 -path '*faketime*' -print -quit)
[ -n "$libfaketime" ] || { echo "libfaketime.so.1 not found" >&2; exit 1; }
export FAKETIME='@2026-12-08 09:00:00 x60'

start_xvfb env LD_PRELOAD="$libfaketime"
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work LC_ALL=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS QT_LOGGING_RULES

mkdir "$work/data"
(cd "$work/data" && LD_PRELOAD=$libfaketime exec "$hourwise") >"$work/program.log" 2>&1 &
program_pid=$!

# Prints the id of the visible window with this exact title, waiting a while for it.
wait_for_window() {
  local window
  for _ in $(seq 400); do
    window=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1) || true
    [ -n "$window" ] && { echo "$window"; return 0; }
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.025
  done
  return 1
}

# Today's minutes of the only item, from data.txc ("<key>:Add something:<minutes>:").
minutes_today() { head -1 "$work/data/data.txc" | cut -d: -f3; }
switches_today() { tail -1 "$work/data/help.txc" | tr -d '\r'; }
# Prints today's minutes once they are at most $1, waiting up to five seconds
# for them: "Remove" hides the question before its save is on disk, and on a
# busy disk the save's fsync may take a while.
minutes_at_most() {
  for _ in $(seq 250); do [ "$(minutes_today)" -le "$1" ] && break; sleep 0.02; done
  minutes_today
}

main=$(wait_for_window Hourwise) || fail "the main window did not appear"
# Past the first tick, which on a first start re-parses the data once more
# and, with an item checked, counts a switch of its own.
sleep 2
# The seeded item "Add something" fills the radio group alone: click its circle.
height=$(xdotool getwindowgeometry "$main" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
xdotool mousemove --window "$main" 14 $((height - 497 + 108)) click 1

# Away for about a quarter of an hour (a quarter of a minute of real time).
sleep 15
[ "$(minutes_today)" -ge 12 ] || fail "the item was not credited while away: $(minutes_today)"
xdotool mousemove 600 600
question=$(wait_for_window Away) || fail "no question after a quarter of an hour away"

# The question is not modal: the tick goes on while it waits.
before=$(minutes_today)
sleep 2.5
after=$(minutes_today)
[ "$after" -gt "$before" ] || fail "no minute credited while the question was open ($before, then $after)"

switches=$(switches_today)
xdotool windowfocus --sync "$question" key Tab space
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Away$' >/dev/null 2>&1 || break; sleep 0.02; done
left=$(minutes_at_most 8)
# What stays: the minute or two before leaving and the few since coming back.
[ "$left" -ge 1 ] && [ "$left" -le 8 ] || fail "Remove left $left of $after minutes"
sleep 1.5 # the restored selection's switch reaches help.txc with the next tick's save
[ "$(switches_today)" = "$switches" ] || fail "switches: $switches, then $(switches_today) after Remove"

# A second absence, answered with Esc: nothing is taken back.
sleep 12
xdotool mousemove 700 700
question=$(wait_for_window Away) || fail "no question after the second absence"
kept=$(minutes_today)
xdotool windowfocus --sync "$question" key Escape
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Away$' >/dev/null 2>&1 || break; sleep 0.02; done
[ "$(minutes_today)" -ge "$kept" ] || fail "Esc removed minutes: $kept, then $(minutes_today)"
sleep 1.5
[ "$(switches_today)" = "$switches" ] || fail "switches: $switches, then $(switches_today) after Esc"

# A third absence, with the "Add Time" dialog open all along: the question
# must take the keys that answer it while the dialog still waits.
xdotool windowfocus --sync "$main" key alt+e a
dialog=$(wait_for_window "Add Time") || fail "the Add Time dialog did not open"
sleep 12
xdotool mousemove 800 800
question=$(wait_for_window Away) || fail "no question after the absence under the dialog"
xdotool windowfocus --sync "$question" key Tab space
for _ in $(seq 100); do xdotool search --onlyvisible --name '^Away$' >/dev/null 2>&1 || break; sleep 0.02; done
xdotool search --onlyvisible --name '^Away$' >/dev/null 2>&1 && fail "the question under the dialog took no keys"
under=$(minutes_at_most $((kept + 8)))
[ "$under" -le $((kept + 8)) ] || fail "Remove under the dialog left $under minutes (before the absence: $kept)"
xdotool search --onlyvisible --name '^Add Time$' >/dev/null 2>&1 || fail "the dialog closed with the question"
echo "away test passed: $after minutes before Remove, $left after; $kept kept on Esc; $under after Remove under a dialog"
