#!/usr/bin/env bash
# Start-up time, memory and idle CPU of Hourwise beside a floor: a bare Qt
# Widgets window with a one-second clock (bench/floor_app.cpp). Hourwise
# starts in a new folder and on 40 items with each of the given years of
# history; all run under one Xvfb display, the runs interleaved. Reports the
# median over the runs of: the time from exec until the main window is
# mapped, the resident memory one second later (and how much of it is the
# program's own, not pages of mapped files) and after the idle period, and
# the CPU time (user + system) used while idle; then what each added
# megabyte of history costs, between the fewest and the most years.
# With --computers N, each history is shared: this computer's subfolder and
# N - 1 other computers' subfolders of the same history in one shared folder.
#
# usage: bench/startup_bench.sh [--runs N] [--idle-seconds N] [--years "0 1 10 30"]
#                               [--computers N] [--build-dir DIR] [--display :N]
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5 idle=60 years="0 1 10 30" computers=1 build=build/bench display=
usage() { echo "usage: $0 [--runs N] [--idle-seconds N] [--years \"0 1 10 30\"] [--computers N] [--build-dir DIR] [--display :N]" >&2; exit 2; }
while [ $# -gt 0 ]; do
  [ $# -ge 2 ] || usage
  case $1 in
    --runs) runs=$2 ;;
    --idle-seconds) idle=$2 ;;
    --years) years=$2 ;;
    --computers) computers=$2 ;;
    --build-dir) build=$2 ;;
    --display) display=$2 ;;
    *) usage ;;
  esac
  shift 2
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j2 --target hourwise floor_app check_files map_watch >/dev/null

work=$(mktemp -d)
xvfb_pid= program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill -KILL "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

if [ -n "$display" ]; then
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset 2>/dev/null &
  echo "${display#:}" >"$work/display"
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
fi
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && xwininfo -root -display ":$(cat "$work/display")" >/dev/null 2>&1 && break; sleep 0.05; done
export DISPLAY=:$(cat "$work/display") QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work LC_ALL=C.UTF-8

# One folder per configuration: a new one, and 40 items with each number of
# years; shared, each is a shared folder whose computers hold that history,
# and the program's settings name the copy that measure() runs in.
mkdir "$work/new"
own=$(hostname | sed 's/[^A-Za-z0-9.-]/-/g; s/^\.*//')-0000bead
if [ "$computers" -gt 1 ]; then
  mkdir -p "$work/config/hourwise"
  printf '[sharing]\nfolder=%s\nhomeFolder=%s\ncomputerId=0000bead\n' "$work/run" "$work/new" >"$work/config/hourwise/hourwise.conf"
fi
for y in $years; do
  data=$work/years$y
  [ "$computers" -gt 1 ] && data=$work/years$y/$own
  mkdir -p "$data"
  "$build/tests/check_files" generate "$data" "$(date +%F)" 40 $((y * 365))
  for n in $(seq 2 "$computers"); do cp -r "$data" "$work/years$y/other$n-0000000$n"; done
done
history_mb() {
  local history=$1/completedata.txc
  [ -d "$1/$own" ] && history=$1/$own/completedata.txc
  [ -f "$history" ] && stat -c %s "$history" | awk '{ printf "%.2f", $1 / 1e6 }' || echo 0
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
anon_kib() { awk '/^RssAnon:/ { print $2 }' "/proc/$1/status"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: prints "startup_ms rss_start_kib rss_idle_kib idle_cpu_ms anon_start_kib".
measure() {
  local program=$1 title=$2 source=$3 folder=$work/run
  rm -rf "$folder"; cp -r "$source" "$folder"
  # The watcher blocks on the X connection until the window is mapped, so
  # it takes no CPU from the program while it starts.
  "$build/bench/map_watch" "$title" >"$work/mapped" &
  local watch_pid=$!
  until [ -s "$work/mapped" ]; do
    kill -0 "$watch_pid" 2>/dev/null || { echo "map_watch could not watch the display" >&2; exit 1; }
    sleep 0.01
  done
  local start; start=$(now_ms)
  (cd "$folder" && exec "$program") >"$work/program.log" 2>&1 &
  program_pid=$!
  while kill -0 "$watch_pid" 2>/dev/null; do
    kill -0 "$program_pid" 2>/dev/null || { echo "$program ended before its window was mapped:" >&2; cat "$work/program.log" >&2; exit 1; }
    sleep 0.1
  done
  local mapped; mapped=$(tail -1 "$work/mapped")
  sleep 1
  local rss_start anon_start cpu_before; rss_start=$(rss_kib "$program_pid"); anon_start=$(anon_kib "$program_pid")
  cpu_before=$(cpu_ticks "$program_pid")
  sleep "$idle"
  local rss_idle cpu_after; rss_idle=$(rss_kib "$program_pid"); cpu_after=$(cpu_ticks "$program_pid")
  kill -KILL "$program_pid"; wait "$program_pid" 2>/dev/null || true; program_pid=
  echo "$((mapped - start)) $rss_start $rss_idle $(( (cpu_after - cpu_before) * 1000 / $(getconf CLK_TCK) )) $anon_start"
}

shared_title=Hourwise
[ "$computers" -gt 1 ] && shared_title="Hourwise ($computers computers)"
configs=(floor new)
for y in $years; do configs+=("years$y"); done
run_config() {
  case $1 in
    floor) measure "$PWD/$build/bench/floor_app" Floor "$work/new" ;;
    new) measure "$PWD/$build/app/hourwise" Hourwise "$work/new" ;;
    *) XDG_CONFIG_HOME=$work/config measure "$PWD/$build/app/hourwise" "$shared_title" "$work/$1" ;;
  esac
}
for _ in $(seq "$runs"); do
  for c in "${configs[@]}"; do run_config "$c" >>"$work/result.$c"; done
done

column_median() { cut -d' ' -f"$2" "$work/result.$1" | median; }
mib() { awk '{ printf "%.1f", $1 / 1024 }'; }
floor_ms=$(column_median floor 1)
floor_kib=$(column_median floor 2)
label() {
  case $1 in
    floor) echo "floor" ;;
    new) echo "Hourwise, new folder" ;;
    *) echo "Hourwise, 40 items, ${1#years} years ($(history_mb "$work/$1") MB history)$( [ "$computers" -gt 1 ] && echo ", $computers computers")" ;;
  esac
}

echo "Median of $runs interleaved runs; idle period $idle s."
echo
echo "| program | window mapped | times the floor | resident memory after start | above the floor | own (not mapped files) | after $idle s idle | CPU time in $idle s idle |"
echo "| --- | --- | --- | --- | --- | --- | --- | --- |"
for c in "${configs[@]}"; do
  ms=$(column_median "$c" 1) kib=$(column_median "$c" 2)
  printf '| %s | %s ms | %sx | %s MiB | %s MiB | %s MiB | %s MiB | %s ms |\n' "$(label "$c")" "$ms" \
    "$(awk -v a="$ms" -v b="$floor_ms" 'BEGIN { printf "%.2f", a / b }')" \
    "$(echo "$kib" | mib)" "$(awk -v a="$kib" -v b="$floor_kib" 'BEGIN { print a - b }' | mib)" \
    "$(column_median "$c" 5 | mib)" "$(column_median "$c" 3 | mib)" "$(column_median "$c" 4)"
done

set -- $years
if [ $# -ge 2 ]; then
  first=years$1 last=years${!#}
  mb=$(awk -v a="$(history_mb "$work/$first")" -v b="$(history_mb "$work/$last")" 'BEGIN { print b - a }')
  echo
  awk -v mb="$mb" -v t0="$(column_median "$first" 1)" -v t1="$(column_median "$last" 1)" \
      -v m0="$(column_median "$first" 2)" -v m1="$(column_median "$last" 2)" \
      -v a0="$(column_median "$first" 5)" -v a1="$(column_median "$last" 5)" -v y0="$1" -v y1="${!#}" 'BEGIN {
    printf "Each added MB of history (%s to %s years, %.1f MB): %+.1f ms to start, %+.2f MiB resident, %+.2f MiB of it not pages of mapped files.\n",
      y0, y1, mb, (t1 - t0) / mb, (m1 - m0) / 1024 / mb, (a1 - a0) / 1024 / mb }'
fi
