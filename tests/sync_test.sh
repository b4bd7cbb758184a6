#!/usr/bin/env bash
# Two computers through a real sync engine: two Syncthing instances on this
# machine, each with its own home, on localhost addresses with discovery,
# relays and NAT traversal off, trusting each other and sharing one folder.
# Beside each runs Hourwise with its own HOME and --shared-folder, under one
# Xvfb display and a clock 60 times as fast. Both track an item for a while;
# then, within a bounded time, both export the same rows, whose sums per
# item equal those that awk computes from the two computers' files, and a
# conflict copy dropped into the folder changes nothing.
#
# usage: sync_test.sh PROGRAM
set -euo pipefail

program=$(realpath "$1")
here=$(dirname "$(realpath "$0")")
source "$here/xvfb_display.sh"
make_work_folder
syncthing_pids=() hourwise_pids=()
stop_all() {
  for pid in "${hourwise_pids[@]}" "${syncthing_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${hourwise_pids[@]}" "${syncthing_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  remove_work_folder
}
trap stop_all EXIT
fail() {
  echo "FAIL: $*" >&2
  for log in "$work"/*.log; do echo "--- $log" >&2; tail -20 "$log" >&2; done
  exit 1
}
# Runs a check every half second until it holds; fails with the message after $1 seconds.
wait_until() {
  local seconds=$1 message=$2; shift 2
  for _ in $(seq $((seconds * 2))); do "$@" && return 0; sleep 0.5; done
  fail "$message"
}

libfaketime=$(find /usr/lib -name libfaketime.so.1 -path '*faketime*' -print -quit)
[ -n "$libfaketime" ] || fail "libfaketime.so.1 not found"
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
# The day key of today: the Julian date of its midnight.
key=$(python3 -c 'import datetime; print(f"{datetime.date.today().toordinal() + 1721424.5:.1f}")')
earlier=$(python3 -c 'import datetime; print(f"{datetime.date.today().toordinal() - 3 + 1721424.5:.1f}")')

# --- Two Syncthing homes and one shared folder each.
for computer in a b; do
  mkdir -p "$work/$computer/shared/.stfolder" "$work/$computer/home" "$work/$computer/data"
  syncthing generate --home="$work/$computer/syncthing" --no-default-folder >/dev/null 2>&1
  eval "id_$computer=\$(syncthing serve --home=\"\$work/\$computer/syncthing\" --device-id)"
  eval "port_$computer=\$(free_port)"
done
# write_config COMPUTER OWN_PORT OWN_ID OTHER_PORT OTHER_ID
write_config() {
  cat >"$work/$1/syncthing/config.xml" <<XML
<configuration version="36">
  <folder id="hourwise" label="hourwise" path="$work/$1/shared" type="sendreceive" rescanIntervalS="5"
      fsWatcherEnabled="true" fsWatcherDelayS="1">
    <device id="$3"></device>
    <device id="$5"></device>
  </folder>
  <device id="$3" name="self"><address>tcp://127.0.0.1:$2</address></device>
  <device id="$5" name="other"><address>tcp://127.0.0.1:$4</address></device>
  <gui enabled="false" tls="false"><address>127.0.0.1:0</address></gui>
  <options>
    <listenAddress>tcp://127.0.0.1:$2</listenAddress>
    <globalAnnounceEnabled>false</globalAnnounceEnabled>
    <localAnnounceEnabled>false</localAnnounceEnabled>
    <relaysEnabled>false</relaysEnabled>
    <natEnabled>false</natEnabled>
    <urAccepted>-1</urAccepted>
    <autoUpgradeIntervalH>0</autoUpgradeIntervalH>
    <crashReportingEnabled>false</crashReportingEnabled>
    <startBrowser>false</startBrowser>
    <reconnectionIntervalS>1</reconnectionIntervalS>
  </options>
</configuration>
XML
}
write_config a "$port_a" "$id_a" "$port_b" "$id_b"
write_config b "$port_b" "$id_b" "$port_a" "$id_a"
for computer in a b; do
  syncthing serve --home="$work/$computer/syncthing" --no-browser --no-restart --no-upgrade \
    >"$work/syncthing-$computer.log" 2>&1 &
  syncthing_pids+=($!)
done

# --- Each computer's record before it shares: a Writing item on both, Mail
# only on a, Reading only on b, and an earlier day on each.
printf '%s\r\n' "$key:Writing:0:" "$key:Mail:0:" "T:Writing:100:" "T:Mail:40:" >"$work/a/data/data.txc"
printf '%s\r\n' "0:" "$earlier:Writing:100:" "$earlier:Mail:40:" "$key:Writing:0:" "$key:Mail:0:" \
  >"$work/a/data/completedata.txc"
printf '%s\r\n' "$earlier" 3 "$key" 0 >"$work/a/data/help.txc"
printf '%s\r\n' "$key:Writing:0:" "$key:Reading:0:" "T:Writing:70:" "T:Reading:9:" >"$work/b/data/data.txc"
printf '%s\r\n' "0:" "$earlier:Writing:70:" "$earlier:Reading:9:" "$key:Writing:0:" "$key:Reading:0:" \
  >"$work/b/data/completedata.txc"
printf '%s\r\n' "$earlier" 5 "$key" 0 >"$work/b/data/help.txc"

# --- Two Hourwise, each with its own HOME, on a clock 60 times as fast.
start_xvfb
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset QT_LOGGING_RULES
fake_start="$(date '+%Y-%m-%d') 09:00:00"
for computer in a b; do
  mkdir -m 700 "$work/$computer/runtime"
  (cd "$work/$computer/data" && HOME="$work/$computer/home" XDG_CONFIG_HOME="$work/$computer/home/.config" \
    XDG_DATA_HOME="$work/$computer/home/.local/share" XDG_RUNTIME_DIR="$work/$computer/runtime" \
    LD_PRELOAD=$libfaketime FAKETIME="@$fake_start x60" \
    exec "$program" --shared-folder "$work/$computer/shared") >"$work/hourwise-$computer.log" 2>&1 &
  hourwise_pids+=($!)
done
windows() { xdotool search --onlyvisible --name '^Hourwise' 2>/dev/null || true; }
wait_until 20 "two main windows did not appear" eval '[ "$(windows | wc -l)" -eq 2 ]'
for computer in a b; do
  [ -z "$(ls "$work/$computer/data")" ] || fail "$computer's files were not moved: $(ls "$work/$computer/data")"
done

# Side by side, so that each takes its own clicks; then the first item of
# each is checked: with two items, the radio group's one row is centred in
# its 217 pixels below the menu bar.
x=0
for window in $(windows); do
  xdotool windowmove --sync "$window" "$x" 0
  x=$((x + 570))
done
for window in $(windows); do
  height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
  xdotool mousemove --window "$window" 14 $((height - 497 + 108)) click 1
done
sleep 5 # five minutes of the fast clock
# "Nothing Selected" stops the minutes, 232 pixels below the menu bar.
for window in $(windows); do
  height=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: [0-9]*x\([0-9]*\).*/\1/p')
  xdotool mousemove --window "$window" 14 $((height - 497 + 240)) click 1
done

# --- Both shared folders hold both computers' files alike, and both windows count two computers.
subfolders() { find "$work/$1/shared" -mindepth 1 -maxdepth 1 -type d ! -name '.st*' -printf '%f\n' | sort; }
in_step() {
  [ "$(subfolders a | wc -l)" -eq 2 ] && [ "$(subfolders a)" = "$(subfolders b)" ] || return 1
  local sub file
  for sub in $(subfolders a); do
    for file in data.txc completedata.txc help.txc; do
      cmp -s "$work/a/shared/$sub/$file" "$work/b/shared/$sub/$file" || return 1
    done
  done
}
wait_until 60 "the shared folders did not come into step" in_step
sleep 2 # once in step, the files stay unchanged: no item is checked
wait_until 60 "the shared folders did not stay in step" in_step
counting_two() { [ "$(windows | xargs -n1 xdotool getwindowname | grep -c '(2 computers)')" -eq 2 ]; }
wait_until 70 "the windows do not both count two computers: $(windows | xargs -n1 xdotool getwindowname)" counting_two

# Each exports its history through "Graph" > "Export History...".
# On a busy machine the menu may open too late for its key: then it is
# closed and asked again.
export_from() {
  local window=$1 path=$2 dialog=
  for _ in 1 2 3; do
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --window "$window" alt+g
    sleep 0.5
    xdotool key e
    for _ in $(seq 20); do
      dialog=$(xdotool search --onlyvisible --name '^Save As$' 2>/dev/null | head -1) || true
      [ -n "$dialog" ] && break
      sleep 0.25
    done
    [ -n "$dialog" ] && break
    xdotool key Escape
  done
  [ -n "$dialog" ] || fail "the export dialog did not open"
  xdotool windowfocus --sync "$dialog" key ctrl+a
  xdotool type "$path"
  xdotool key Return
  wait_until 10 "the export to $path was not written" test -s "$path"
}
# Sums per item: from the CSV, and with awk from every computer's history.
csv_sums() { awk -F, 'NR > 1 && $2 != "" { sum[$2] += $3 } END { for (i in sum) print i, sum[i] }' "$1" | sort; }
file_sums() {
  awk -F: '$1 != "0" && NF >= 3 { sum[$2] += $3 } END { for (i in sum) print i, sum[i] }' \
    "$work/a/shared"/*/completedata.txc | sort
}
check_exports() {
  local round=$1 index=0 window
  for window in $(windows); do
    index=$((index + 1))
    export_from "$window" "$work/export-$round-$index.csv"
  done
  # The same rows; each computer lists its own items first.
  diff <(sort "$work/export-$round-1.csv") <(sort "$work/export-$round-2.csv") >/dev/null \
    || fail "the two computers export different histories: $(diff "$work/export-$round-1.csv" "$work/export-$round-2.csv")"
  [ "$(csv_sums "$work/export-$round-1.csv")" = "$(file_sums)" ] \
    || fail "exported sums $(csv_sums "$work/export-$round-1.csv") differ from the files' $(file_sums)"
}
check_exports 1
for item in Writing Mail Reading; do
  csv_sums "$work/export-1-1.csv" | grep -q "^$item " || fail "$item is not in the export"
done
written=$(csv_sums "$work/export-1-1.csv" | awk '$1 == "Writing" { print $2 }')
[ "$written" -gt 170 ] || fail "no minutes were tracked: Writing holds $written"

# --- A conflict copy in one computer's subfolder changes nothing.
sub=$(subfolders a | head -1)
printf '%s\r\n' "$key:Writing:5000:" >"$work/a/shared/$sub/completedata.sync-conflict-20261209-101010-ABCDEFG.txc"
wait_until 60 "the conflict copy did not reach the other folder" \
  test -e "$work/b/shared/$sub/completedata.sync-conflict-20261209-101010-ABCDEFG.txc"
sleep 2
check_exports 2
cmp -s "$work/export-1-1.csv" "$work/export-2-1.csv" || fail "the conflict copy changed the export"
echo "sync_test: two computers through Syncthing show the same sums, those of their files; a conflict copy counts for nothing"
