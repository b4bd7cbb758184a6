#!/usr/bin/env bash
# Kills the real program with SIGKILL hundreds of times, mostly in the middle
# of a save, and checks after every kill that the data files are whole, load,
# agree with each other and never lose a total.
#
# The program runs under its own Xvfb display and libfaketime at 60 times
# the real speed, so a minute tick comes every second and the clock crosses
# midnight several times. Each run is killed at one of five kinds of moment:
# within the save that ends the start-up load, at random during start-up,
# after an item has been checked by a click, at a random sub-second delay
# after the first tick or within that tick's save, or within an item command.
#
# The item commands (add an item, delete one, add time to one) are run by
# check_files on the ledger, exactly as the menu handlers call it, under the
# same fake clock, and killed right after one of their files is replaced.
# Every file of those commands is written by the ledger; driving the menus
# and dialogs with xdotool would add only the timing noise of the dialogs,
# while the kill must land between two files of one command.
#
# After every kill the history must still hold every line of the days before
# its last block as the check before saw them, and the real start-up load
# must bring the last block up to date with data.txc. A save writes the
# history's end in place (cut, then written); one kill in eight is followed
# by such a cut at a random byte of the last block, as a kill between the
# two leaves it, which the next start must repair.
#
# usage: kill_test.sh HOURWISE CHECK_FILES [KILLS [SECONDS]]
# Stops after KILLS kills (default 250) or SECONDS seconds (default 270).
set -euo pipefail

hourwise=$(realpath "$1")
checker=$(realpath "$2")
target_kills=${3:-250}
budget_seconds=${4:-270}

libfaketime=$(find /usr/lib -name libfaketime.so.1 -path '*faketime*' -print -quit)
[ -n "$libfaketime" ] || { echo "libfaketime.so.1 not found" >&2; exit 1; }

source "$(dirname "$(realpath "$0")")/xvfb_display.sh"
make_work_folder
data=$work/data
mkdir "$data"

# A display that went away under us (another program's clean-up) is no
# fault of the program under test: start another and go on, a few times.
display_restarts=0
display_lost() {
  xwininfo -root >/dev/null 2>&1 && return 1
  [ "$display_restarts" -lt 3 ] || { echo "the display went away $display_restarts times" >&2; exit 1; }
  display_restarts=$((display_restarts + 1))
  echo "the display $DISPLAY went away; starting another" >&2
  stop_xvfb
  start_xvfb
}

start_xvfb
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 XDG_RUNTIME_DIR=$work
unset QT_LOGGING_RULES

# Six items (two rows of three columns) and four years of history, so that
# writing completedata.txc takes a moment to land a kill in.
items=6
"$checker" generate "$data" 2026-12-07 $items 1500

fake_epoch=$(date -d '2026-12-07 23:50:00' +%s)
real_start_ms=$(( $(date +%s%N) / 1000000 ))
offset=0 # fake seconds added by the jumps below

# Sets fake_start to the fake time now: 60 fake seconds per real second since
# the start, plus the jumps. Once a fake day is an hour old, the clock jumps
# to shortly before its midnight, as after a suspend, so that midnight comes
# every minute or so.
set_fake_start() {
  local elapsed_ms fake seconds_of_day
  elapsed_ms=$(( $(date +%s%N) / 1000000 - real_start_ms ))
  fake=$((fake_epoch + elapsed_ms * 60 / 1000 + offset))
  seconds_of_day=$(( 10#$(date -d "@$fake" +%H) * 3600 + 10#$(date -d "@$fake" +%M) * 60 ))
  if [ "$seconds_of_day" -gt 3600 ] && [ "$seconds_of_day" -lt 86300 ]; then
    offset=$((offset + 86310 - seconds_of_day))
    fake=$((fake + 86310 - seconds_of_day))
  fi
  fake_start=$(date -d "@$fake" '+%Y-%m-%d %H:%M:%S')
}

start_program() {
  (cd "$data" && LD_PRELOAD=$libfaketime FAKETIME="@$1 x60" exec "$hourwise") >"$work/program.log" 2>&1 &
  program_pid=$!
  disown "$program_pid" # the shell would report every kill
}

# Waits until the killed program is gone.
wait_until_gone() {
  for _ in $(seq 500); do kill -0 "$program_pid" 2>/dev/null || return 0; sleep 0.01; done
  echo "the program outlived SIGKILL" >&2
  exit 1
}

# Waits for the main window; prints its id.
wait_for_window() {
  local window
  for _ in $(seq 400); do
    window=$(xdotool search --onlyvisible --name '^Hourwise$' 2>/dev/null | head -1) || true
    [ -n "$window" ] && { echo "$window"; return 0; }
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.025
  done
  kill -KILL "$program_pid" 2>/dev/null || true
  xwininfo -root >/dev/null 2>&1 || return 1 # the caller starts another display
  echo "the main window did not appear; program output:" >&2
  cat "$work/program.log" >&2
  return 1
}

# Clicks the circle of the first button of a random column. The radio group
# fills the client area's top 217 pixels below the menu bar; with two rows
# the first row's buttons are centred about 64 pixels down, 173 apart.
click_an_item() {
  local window=$1 height
  height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
  local menu_bar=$((height - 497))
  xdotool mousemove --window "$window" $((14 + 173 * (RANDOM % 3))) $((menu_bar + 64)) click 1
}

# Fails when the program had ended by itself (for want of a display too).
kill_now() {
  kill -KILL "$program_pid" 2>/dev/null && return 0
  display_lost && return 1
  echo "the program ended by itself:" >&2; cat "$work/program.log" >&2; exit 1
}

# Runs an item command that kills itself up to 0.6 ms after the command
# has replaced data.txc or completedata.txc.
kill_in_a_command() {
  local files=(data.txc completedata.txc) command status=0
  command=$(cd "$data" && LD_PRELOAD=$libfaketime FAKETIME="@$fake_start x60" \
            "$checker" drive "$data" "${files[RANDOM % 2]}" $((RANDOM % 600)) 2>"$work/program.log") || status=$?
  if [ "$status" -eq 137 ]; then
    commands[$command]=$(( ${commands[$command]:-0} + 1 ))
  elif [ "$status" -eq 0 ]; then
    other=$((other + 1)) # the command ended before the kill
  else
    echo "the item command failed ($status):" >&2; cat "$work/program.log" >&2; exit 1
  fi
}

# Kills the program up to 0.6 ms after the next save has replaced data.txc
# or completedata.txc: in the middle of writing the file after it.
kill_in_a_save() {
  local files=(data.txc completedata.txc)
  if "$checker" kill-on-save "$program_pid" "$data" "${files[RANDOM % 2]}" $((RANDOM % 600)) 5000; then
    during_save=$((during_save + 1))
  else
    other=$((other + 1))
  fi
}

# QSaveFile's temporary files of the three data files: the name, a dot and six letters.
count_temporaries() {
  find "$data" -mindepth 1 -regextype egrep -regex '.*/(data|completedata|help)\.txc\.[A-Za-z]{6}' | wc -l
}

kills=0 during_save=0 other=0 temporaries=0
declare -A standings=() commands=()
deadline=$(( $(date +%s) + budget_seconds ))
while [ "$kills" -lt "$target_kills" ] && [ "$(date +%s)" -lt "$deadline" ]; do
  set_fake_start
  choice=$((RANDOM % 100))
  if [ $choice -lt 25 ]; then
    kill_in_a_command
  else
    start_program "$fake_start"
    if [ $choice -lt 47 ]; then
      kill_in_a_save # the save at the end of the start-up load
    elif [ $choice -lt 55 ]; then
      sleep "0.$(printf '%03d' $((RANDOM % 400)))" # anywhere in the start-up
      kill_now || continue
      other=$((other + 1))
    else
      if ! window=$(wait_for_window); then
        display_lost && continue
        exit 1
      fi
      click_an_item "$window"
      if [ $choice -lt 67 ]; then
        sleep "1.$(printf '%03d' $((RANDOM % 400)))" # around the first tick
        kill_now || continue
        other=$((other + 1))
      else
        kill_in_a_save # the first tick's save
      fi
    fi
    wait_until_gone
  fi
  program_pid=
  kills=$((kills + 1))
  # A kill between linking a finished temporary file into the folder and
  # renaming it over the data file leaves that temporary ("help.txc.AbCdEf")
  # behind; the next start removes it.
  temporaries=$((temporaries + $(count_temporaries)))
  # A kill lands between cutting the history and writing its end only
  # within microseconds; one check in eight finds the history so cut.
  [ $((RANDOM % 8)) -eq 0 ] && "$checker" cut-save "$data"

  if ! standing=$("$checker" check "$data" "$work/totals"); then
    echo "FAIL after kill $kills; the folder:" >&2
    for f in data.txc completedata.txc help.txc; do echo "--- $f (tail)" >&2; tail -c 400 "$data/$f" | cat -A >&2; done
    exit 1
  fi
  standings[$standing]=$(( ${standings[$standing]:-0} + 1 ))
done

# One more start: it leaves no temporary file and nothing else of its own.
(cd "$data" && LD_PRELOAD=$libfaketime FAKETIME="@$fake_start x60" "$checker" start "$data")
left=$(count_temporaries)
stray=$(find "$data" -mindepth 1 ! -name '*.txc' ! -name '.hourwise.lock' | wc -l)
days=$(cut -d: -f1 "$data/completedata.txc" | sort -u | wc -l)
in_commands=0
for command in "${!commands[@]}"; do in_commands=$((in_commands + commands[$command])); done
echo "kill_test: $kills kills survived ($during_save within a save, right after it had replaced a file;" \
     "$in_commands within an item command; $other at random moments);" \
     "$((days - 1502)) new days in the history"
for command in "${!commands[@]}"; do echo "  killed within the command $command: ${commands[$command]}"; done
for standing in "${!standings[@]}"; do echo "  history against data.txc after a kill: $standing ${standings[$standing]}"; done
echo "  totals now: $(tr '\r\n' '  ' <"$work/totals")"
echo "  finished temporaries left by a kill and removed at the next start: $temporaries; left at the end: $left"
[ "$left" -eq 0 ] || { echo "FAIL: the start left temporary files" >&2; ls -la "$data" >&2; exit 1; }
[ "$stray" -eq 0 ] || { echo "FAIL: $stray stray files left in the data folder" >&2; ls -la "$data" >&2; exit 1; }
[ "$kills" -ge 20 ] || { echo "FAIL: only $kills kills in the time given" >&2; exit 1; }
[ "$days" -gt 1502 ] || { echo "FAIL: the clock never crossed midnight" >&2; exit 1; }
