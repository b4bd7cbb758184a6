#!/usr/bin/env bash
# How Hourwise starts, through the hourwise command and as the bare program:
# --help, --version and a wrong option are answered without a display and
# without touching any file; the desktop entry of an install outside /usr
# starts it without the PATH; a start makes the data folder and its three
# files; a second start on the same folder brings the running window to the
# front and ends with status 0; a copy that holds the folder but does not
# answer gets the error box; the commands for a running copy end with their
# exit status and one line, start the program where none runs, and match
# names byte for byte.
#
# usage: start_test.sh LAUNCHER PROGRAM
set -euo pipefail

launcher=$(realpath "$1")
program=$(realpath "$2")
here=$(dirname "$(realpath "$0")")

work=$(mktemp -d)
xvfb_pid=
first_pid=
cover_pid=
second_pid=
commands_pid=
cleanup() {
  # The copy that a command started is no child of the test's.
  [ ! -f "$work/commands/hourwise/.hourwise.lock" ] || commands_pid=$(head -1 "$work/commands/hourwise/.hourwise.lock")
  [ -z "$commands_pid" ] || kill -CONT "$commands_pid" 2>/dev/null || true
  for pid in "$second_pid" "$cover_pid" "$commands_pid"; do [ -z "$pid" ] || kill "$pid" 2>/dev/null || true; done
  if [ -n "$first_pid" ]; then kill -CONT "$first_pid" 2>/dev/null; kill "$first_pid" 2>/dev/null; fi
  stop_xvfb
  rm -rf "$work"
}
source "$here/xvfb_display.sh"
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/runtime LC_ALL=C.UTF-8
mkdir -m 700 "$XDG_RUNTIME_DIR"
data=$XDG_DATA_HOME/hourwise

# --- Options: no display, no files.
mkdir "$work/cwd"
cd "$work/cwd"
for command in "$launcher" "$program"; do
  env -u DISPLAY -u WAYLAND_DISPLAY "$command" --help >out 2>err || fail "$command --help: status $?"
  grep -q '^Usage: hourwise' out || fail "$command --help printed: $(cat out)"
  env -u DISPLAY -u WAYLAND_DISPLAY "$command" --version >out 2>err || fail "$command --version: status $?"
  grep -qx 'Hourwise [0-9.]*' out || fail "$command --version printed: $(cat out)"
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY "$command" --no-such-option >out 2>err || status=$?
  [ "$status" -eq 2 ] || fail "$command --no-such-option: status $status, not 2"
  [ "$(wc -l <err)" -eq 1 ] && [ ! -s out ] || fail "$command --no-such-option printed: $(cat out err)"
  rm out err
done
[ -z "$(ls -A "$work/cwd")" ] || fail "an option wrote into the current folder: $(ls -A "$work/cwd")"
[ ! -e "$XDG_DATA_HOME" ] && [ ! -e "$HOME" ] || fail "an option made the data folder"

# --- An install outside /usr: its desktop entry starts the command by its
# full path, so the menu and autostart work while the folder is not on the PATH.
prefix="$work/home install/.local"
cmake --install "$(dirname "$launcher")" --prefix "$prefix" >/dev/null
entry_command=$(sed -n 's/^Exec=//p' "$prefix/share/applications/org.example.Hourwise.desktop" | head -1)
env PATH=/usr/bin:/bin sh -c "$entry_command --version" >out 2>&1 || fail "Exec=$entry_command: $(cat out)"
grep -qx 'Hourwise [0-9.]*' out || fail "Exec=$entry_command printed: $(cat out)"
action_command=$(sed -n '/^\[Desktop Action stop-tracking\]/,$s/^Exec=//p' "$prefix/share/applications/org.example.Hourwise.desktop")
[ "$action_command" = "$entry_command --stop" ] || fail "the Stop Tracking action runs '$action_command'"
rm -r out "$work/home install"

# --- A start through the hourwise command.
start_xvfb
export QT_QPA_PLATFORM=xcb
unset QT_LOGGING_RULES

# Prints the ids of the program's windows (the main window, a message box),
# topmost first.
hourwise_windows() {
  xwininfo -root -children | awk '/\("hourwise" "hourwise"\)/ && $(NF-2) !~ /^1x1\+/ {print $1}'
}
window_count_is() { [ "$(hourwise_windows | wc -l)" -eq "$1" ]; }
topmost_is() { [ "$(xwininfo -root -children | awk '/"(Hourwise|xmessage)": \(/ {print $2; exit}')" = "\"$1\":" ]; }
files_written() { [ -s "$data/data.txc" ] && [ -s "$data/completedata.txc" ] && [ -s "$data/help.txc" ]; }
# Runs a check every 50 ms until it holds; fails with the message after 10 s.
wait_until() {
  local message=$1; shift
  for _ in $(seq 200); do "$@" && return 0; sleep 0.05; done
  fail "$message"
}

# Qt's own options, as a desktop or a user passes them, go on to Qt.
"$launcher" -style Fusion -reverse -platform xcb -display "$DISPLAY" >"$work/first.log" 2>&1 &
first_pid=$!
wait_until "the first start showed no window" window_count_is 1
main_window=$(hourwise_windows)
wait_until "the first start did not write the three files into $data" files_written

# --- A second start, with another window covering the first copy's.
xmessage -geometry 1024x768+0+0 cover 2>/dev/null &
cover_pid=$!
wait_until "the covering window did not come up" topmost_is xmessage
status=0
timeout 10 "$launcher" >"$work/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "the second start ended with status $status: $(cat "$work/second.log")"
wait_until "the second start did not bring the running window to the front" topmost_is Hourwise
[ "$(hourwise_windows)" = "$main_window" ] || fail "the second start left a window of its own"
kill -0 "$first_pid" || fail "the first copy ended"

# --- A copy that holds the folder but does not answer: the error box.
kill -STOP "$first_pid"
(cd "$data" && exec "$program") >"$work/third.log" 2>&1 &
second_pid=$!
wait_until "the start beside a silent copy showed no error box" window_count_is 2
kill -0 "$second_pid" || fail "the start beside a silent copy ended without showing the error box"

# --- Commands, in a folder of their own, through a pipe as a script reads
# them: the started program must leave the pipe alone.
kill -CONT "$first_pid"
export XDG_DATA_HOME=$work/commands
commands_data=$XDG_DATA_HOME/hourwise
mkdir -p "$commands_data"
cafe=$(printf 'Caf\351 "x"') # not UTF-8
printf '2440587.5:Writing:0:\r\n2440587.5:%s:0:\r\nT:Writing:0:\r\nT:%s:0:\r\n' "$cafe" "$cafe" >"$commands_data/data.txc"
# Runs the hourwise command with the arguments; fails unless it ends within
# 10 s with the status, having printed one line (to stdout for status 0,
# else to stderr and nothing to stdout).
expect_command() {
  local expected=$1 status=0 line
  shift
  timeout 10 bash -c 'set -o pipefail; "$@" | cat' - "$launcher" "$@" >out 2>err || status=$?
  [ "$status" -eq "$expected" ] || fail "hourwise $*: status $status, not $expected: $(cat out err)"
  if [ "$expected" -eq 0 ]; then line=out; else line=err; [ ! -s out ] || fail "hourwise $*: $(cat out)"; fi
  [ "$(wc -l <$line)" -eq 1 ] || fail "hourwise $* printed: $(cat out err)"
}
expect_command 1 --status
grep -q '^hourwise: Hourwise is not running in ' err || fail "--status with none running: $(cat err)"
expect_command 0 --select Writing
[ "$(cat out)" = "Checked: Writing" ] || fail "--select Writing printed: $(cat out)"
commands_pid=$(head -1 "$commands_data/.hourwise.lock")
kill -0 "$commands_pid" || fail "--select started no program"
expect_command 0 --select "$cafe"
[ "$(cat out)" = "Checked: $cafe" ] || fail "--select $cafe printed: $(cat out)"
expect_command 3 --select 'Café "x"'
expect_command 3 --select "$(printf 'Writing\nstop')"
grep -qx 'hourwise: no item is named "Writing?stop"' err || fail "an unknown name: $(cat err)"
timeout 10 "$launcher" --status >out
[ "$(cat out)" = "$(printf 'Checked: %s\n0 Writing\n0 %s' "$cafe" "$cafe")" ] || fail "--status printed: $(cat out)"
timeout 10 "$launcher" --status --json >out
[ "$(cat out)" = '{"checked":"Caf\udce9 \"x\"","items":[{"name":"Writing","today":0},{"name":"Caf\udce9 \"x\"","today":0}]}' ] ||
  fail "--status --json printed: $(cat out)"
expect_command 0 --stop
[ "$(cat out)" = "Checked: Nothing Selected" ] || fail "--stop printed: $(cat out)"
for usage in "--json" "--select" "--stop --status" "--select Writing --json"; do
  # shellcheck disable=SC2086 # each is several arguments
  expect_command 2 $usage
done
kill -STOP "$commands_pid"
expect_command 1 --stop
grep -q ' did not answer$' err || fail "--stop beside a stopped copy: $(cat err)"
echo "start_test: options answered without files; second start raised the running window; silent copy reported; commands answered"
