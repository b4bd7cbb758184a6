#!/usr/bin/env bash
# The real program ended from outside, under its own Xvfb display: by SIGTERM,
# SIGHUP, SIGINT and by the display going away, each after an item has been
# checked (a switch counted in memory only). Each must save before it ends:
# help.txc then holds the new switch count. Exit must still end normally.
# And with every save failing (a file size limit set on the running program),
# the minute timer must go on crediting while the error box is open. And
# another program that cuts completedata.txc short and then rewrites it, in
# place, while the program runs, neither ends it nor stops its saves for
# good nor tears a line.
#
# usage: ending_test.sh HOURWISE
set -euo pipefail

hourwise=$(realpath "$1")
source "$(dirname "$(realpath "$0")")/xvfb_display.sh"
libfaketime=$(find /usr/lib -name libfaketime.so.1 -path '*faketime*' -print -quit)
[ -n "$libfaketime" ] || { echo "libfaketime.so.1 not found" >&2; exit 1; }

make_work_folder
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 XDG_RUNTIME_DIR=$work
# In a sanitizer build libfaketime is preloaded before the sanitizer's runtime.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
unset QT_LOGGING_RULES

fail() { echo "FAIL: $*" >&2; [ ! -f "$work/program.log" ] || cat "$work/program.log" >&2; exit 1; }

# A fresh data folder with two items; prints its path.
new_folder() {
  local data=$work/data.$1
  mkdir "$data"
  printf '2461382.5:Writing:5:\r\n2461382.5:Mail:0:\r\nT:Writing:50:\r\nT:Mail:20:\r\n' >"$data/data.txc"
  echo "$data"
}

# Starts the program in a folder at a fixed fake time; extra arguments go
# before it (such as "trap '' XFSZ;").
start_program() {
  local data=$1 speed=$2
  (cd "$data" && trap '' XFSZ && LD_PRELOAD=$libfaketime FAKETIME="@2026-12-08 10:00:00 $speed" exec "$hourwise") \
    >"$work/program.log" 2>&1 &
  program_pid=$!
}

# Prints the ids of the visible windows titled like the program (the main
# window "Hourwise", its standard error box "hourwise").
program_windows() { xdotool search --onlyvisible --name '^hourwise$' 2>/dev/null || true; }

wait_for_window() {
  for _ in $(seq 400); do
    window=$(program_windows | head -1)
    [ -n "$window" ] && return 0
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.025
  done
  fail "the main window did not appear"
}

# The client area is 497 pixels high below the menu bar; with one item per
# column the first item's circle is near the left, halfway down the group.
click_in_window() {
  local height
  height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
  xdotool mousemove --window "$window" "$1" $((height - 497 + $2)) click 1
}
click_first_item() { click_in_window 14 110; }
click_exit() { click_in_window 45 476; }

# Waits for the program to end; sets status to its exit status.
wait_for_end() {
  for _ in $(seq 400); do
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.025
  done
  kill -0 "$program_pid" 2>/dev/null && fail "the program did not end ($1)"
  status=0
  wait "$program_pid" || status=$?
  program_pid=
}

switch_count() { sed -n '2p' "$1/help.txc" | tr -d '\r'; }

# Checks an item, waits until the program has taken the click, then ends it
# the given way; the switch must be saved.
end_after_a_switch() {
  local how=$1 expected_status=$2 data
  data=$(new_folder "$how")
  start_xvfb
  start_program "$data" x1
  wait_for_window
  [ "$(switch_count "$data")" = 0 ] || fail "$how: the start-up did not save a zero count"
  click_first_item
  sleep 1 # time to take the click, however busy the machine
  case $how in
    display) stop_xvfb ;;
    exit) click_exit ;;
    *) kill -s "$how" "$program_pid" ;;
  esac
  wait_for_end "$how"
  stop_xvfb
  [ "$status" = "$expected_status" ] || fail "$how: exit status $status, not $expected_status"
  [ "$(switch_count "$data")" = 1 ] || fail "$how: help.txc holds $(switch_count "$data") switches, not 1"
  echo "ending_test: $how saved the switch and ended with status $status"
}

end_after_a_switch TERM 143
end_after_a_switch HUP 129
end_after_a_switch INT 130
end_after_a_switch display 1
end_after_a_switch exit 0

# Every save fails (no file may grow) from the first tick after the click on;
# the error box opens once and stays open while the minutes go on. Once
# files may grow again, the next tick saves them all.
data=$(new_folder box)
start_xvfb
start_program "$data" x60 # a minute tick every second
wait_for_window
click_first_item
prlimit --pid "$program_pid" --fsize=0:unlimited
for _ in $(seq 200); do [ "$(program_windows | wc -l)" -ge 2 ] && break; sleep 0.05; done
[ "$(program_windows | wc -l)" = 2 ] || fail "box: the error box did not open"
sleep 3 # a few failing ticks under the open box
prlimit --pid "$program_pid" --fsize=unlimited:unlimited
minutes=0
for _ in $(seq 300); do
  minutes=$(sed -n '1p' "$data/data.txc" | cut -d: -f3)
  [ "$minutes" -ge 13 ] && break
  sleep 0.05
done
[ "$minutes" -ge 13 ] || fail "box: $minutes minutes, not 5 + 8 ticks while the error box was open"
[ "$(program_windows | wc -l)" = 2 ] || fail "box: more than one error box opened"
kill -TERM "$program_pid"
wait_for_end box
stop_xvfb
echo "ending_test: the minutes went on under the open error box ($minutes saved once saving worked again)"

# Another program writes completedata.txc in place (truncate, then cat > as
# cp does) while the program runs: first cut short in the middle of a line,
# which used to end the program with SIGBUS at the next tick; the saves are
# then held back and the program asks. Then a version whose last day is the
# program's own, one earlier line mended to another length: it is taken
# over at the next tick, and the saves go on without tearing a line.
data=$(new_folder inplace)
for day in $(seq 2461082 2461381); do
  printf '%s.5:Writing:%s:\r\n%s.5:Mail:7:\r\n' "$day" $((day % 50)) "$day"
done >"$work/history"
printf '2461382.5:Writing:5:\r\n2461382.5:Mail:0:\r\n' >>"$work/history"
cp "$work/history" "$data/completedata.txc"
start_xvfb
start_program "$data" x20 # a minute tick every 3 seconds
wait_for_window
click_first_item
truncate -s 1000 "$data/completedata.txc"
for _ in $(seq 300); do xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 && break; sleep 0.05; done
xdotool search --onlyvisible --name '^Confirm$' >/dev/null 2>&1 || fail "inplace: no question about the cut file"
sleep 4 # at least one more tick on the cut file
kill -0 "$program_pid" 2>/dev/null || { wait_for_end inplace; fail "inplace: ended with status $status"; }
[ "$(stat -c %s "$data/completedata.txc")" = 1000 ] || fail "inplace: the cut file was overwritten unasked"
sed 's/^2461100\.5:Writing:[0-9]*:/2461100.5:Writing mended:12345:/' "$work/history" >"$work/mended"
cat "$work/mended" >"$data/completedata.txc"
before=$(sed -n '1p' "$data/data.txc" | cut -d: -f3)
for _ in $(seq 300); do
  minutes=$(sed -n '1p' "$data/data.txc" | cut -d: -f3)
  [ "$minutes" -gt "$before" ] && break
  sleep 0.05
done
[ "$minutes" -gt "$before" ] || fail "inplace: no save after the mended file was put in place"
sleep 4 # more saves, each copying the earlier days from the file
kill -TERM "$program_pid"
wait_for_end inplace
stop_xvfb
[ "$status" = 143 ] || fail "inplace: exit status $status, not 143"
history=$(tr -d '\r' <"$data/completedata.txc")
[ "$(grep -c . <<<"$history")" = 602 ] || fail "inplace: $(grep -c . <<<"$history") history lines, not 602"
torn=$(grep -cvE '^2461[0-9]{3}\.5:(Writing|Writing mended|Mail):[0-9]+:$' <<<"$history" || true)
[ "$torn" = 0 ] || fail "inplace: $torn torn or foreign lines in the history"
grep -q '^2461100\.5:Writing mended:12345:$' <<<"$history" || fail "inplace: the mended line was not kept"
[ "$(tail -2 <<<"$history" | head -1)" = "$(sed -n '1p' "$data/data.txc" | tr -d '\r')" ] \
  || fail "inplace: today's block does not hold the saved minutes"
echo "ending_test: in-place writes of the history: no crash, saves went on ($(sed -n '1p' "$data/data.txc" | cut -d: -f3) minutes), no torn line"
