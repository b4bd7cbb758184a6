#!/usr/bin/env bash
# Installs what is missing, builds Hourwise and starts it in its data folder
# (HOURWISE_DATA, by default ~/.local/share/hourwise, created when missing).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/run -DCMAKE_BUILD_TYPE=Release -DHOURWISE_BENCHMARKS=OFF >/dev/null
cmake --build build/run -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Hourwise is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  echo "Start it from a desktop session (or under Xvfb: xvfb-run ./run.sh)." >&2
  exit 1
fi

repo=$PWD
data=${HOURWISE_DATA:-$HOME/.local/share/hourwise}
mkdir -p "$data"
cd "$data"
exec "$repo/build/run/app/hourwise"
