#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test: once in
# an optimised build and once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  rm -rf "$dir"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== Release build and tests"
run_suite build/test-release -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== Sanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/test-sanitize -DCMAKE_BUILD_TYPE=Debug -DHOURWISE_SANITIZE=ON -DHOURWISE_BENCHMARKS=OFF
