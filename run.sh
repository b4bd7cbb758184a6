#!/usr/bin/env bash
# Builds Hourwise (the program alone: no tests, no benchmarks) and starts it
# as the installed hourwise command does, in its data folder
# $XDG_DATA_HOME/hourwise (by default ~/.local/share/hourwise), created when
# missing. Installs the Debian packages that building and running need, only
# when any is missing. Arguments go to the hourwise command (--help, --version).
set -euo pipefail
cd "$(dirname "$0")"

case "${1-}" in
  --*) ;; # answered without a window
  *)
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "Hourwise is a desktop program and needs a display, but neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
      echo "Start it from a desktop session (or under Xvfb: xvfb-run ./run.sh)." >&2
      exit 1
    fi ;;
esac

scripts/install-deps.sh
[ -f build/run/CMakeCache.txt ] || cmake --preset run >/dev/null
cmake --build --preset run -j"$(nproc)"
exec build/run/hourwise "$@"
