#!/usr/bin/env bash
# Start-up time, memory and idle CPU of Hourwise beside a floor: a bare Qt
# Widgets window with a one-second clock (bench/floor_app.cpp). Both run
# under their own Xvfb display; Hourwise on 40 items with 10 years of
# history. Reports the median over several runs of: the time from exec until
# the main window is mapped, the resident memory one second later and after
# the idle period, and the CPU time (user + system) used while idle.
#
# usage: bench/startup_bench.sh [--runs N] [--idle-seconds N] [--build-dir DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5 idle=60 build=build/bench
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --idle-seconds) idle=$2; shift 2 ;;
    --build-dir) build=$2; shift 2 ;;
    *) echo "usage: $0 [--runs N] [--idle-seconds N] [--build-dir DIR]" >&2; exit 2 ;;
  esac
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target hourwise floor_app check_files >/dev/null

work=$(mktemp -d)
xvfb_pid= program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && xwininfo -root -display ":$(cat "$work/display")" >/dev/null 2>&1 && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work LC_ALL=C.UTF-8

mkdir "$work/generated"
"$build/tests/check_files" generate "$work/generated" "$(date +%F)" 40 3650
history_bytes=$(stat -c %s "$work/generated/completedata.txc")

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: prints "startup_ms rss_start_kib rss_idle_kib idle_cpu_ms".
measure() {
  local program=$1 title=$2 folder=$work/run
  rm -rf "$folder"; cp -r "$work/generated" "$folder"
  local start; start=$(now_ms)
  (cd "$folder" && exec "$program") >"$work/program.log" 2>&1 &
  program_pid=$!
  until xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; do
    kill -0 "$program_pid" 2>/dev/null || { echo "$program ended before its window was mapped:" >&2; cat "$work/program.log" >&2; exit 1; }
    sleep 0.005
  done
  local mapped; mapped=$(now_ms)
  sleep 1
  local rss_start cpu_before; rss_start=$(rss_kib "$program_pid"); cpu_before=$(cpu_ticks "$program_pid")
  sleep "$idle"
  local rss_idle cpu_after; rss_idle=$(rss_kib "$program_pid"); cpu_after=$(cpu_ticks "$program_pid")
  kill -KILL "$program_pid"; wait "$program_pid" 2>/dev/null || true; program_pid=
  echo "$((mapped - start)) $rss_start $rss_idle $(( (cpu_after - cpu_before) * 1000 / $(getconf CLK_TCK) ))"
}

report() {
  local name=$1 program=$2 title=$3
  : >"$work/$name"
  for _ in $(seq "$runs"); do measure "$program" "$title" >>"$work/$name"; done
  printf '| %s | %s ms | %s MiB | %s MiB | %s ms |\n' "$name" \
    "$(cut -d' ' -f1 "$work/$name" | median)" \
    "$(cut -d' ' -f2 "$work/$name" | median | awk '{ printf "%.1f", $1 / 1024 }')" \
    "$(cut -d' ' -f3 "$work/$name" | median | awk '{ printf "%.1f", $1 / 1024 }')" \
    "$(cut -d' ' -f4 "$work/$name" | median)"
}

echo "Median of $runs runs; 40 items, 10 years of history ($history_bytes bytes); idle period $idle s."
echo
echo "| program | start until the window is mapped | resident memory after start | after $idle s idle | CPU time in $idle s idle |"
echo "| --- | --- | --- | --- | --- |"
report hourwise "$PWD/$build/app/hourwise" Hourwise
report floor "$PWD/$build/bench/floor_app" Floor
