#!/usr/bin/env bash
# Installs what is missing, builds from scratch and runs every test: once in
# an optimised build (with the kill test), then checks the Debian package
# (lintian without errors or warnings, the AppStream metadata, a start),
# fuzzes the data files briefly, and runs the tests once more under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh --test

jobs=$(nproc)
run_suite() {
  local dir=$1; shift
  rm -rf "$dir"
  cmake -S . -B "$dir" "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
}

echo "== Release build and tests (the kill test among them)"
run_suite build/test-release -DCMAKE_BUILD_TYPE=RelWithDebInfo
grep -h -A3 '^kill_test:' build/test-release/Testing/Temporary/LastTest.log || true

echo "== Debian package: lintian, AppStream, unpacked into a temporary root and started there"
(cd build/test-release && cpack >/dev/null)
package=$(ls build/test-release/hourwise_*.deb)
# lintian must report no error and no warning.
lintian_report=$(lintian "$package" 2>&1 | grep -v 'running with root privileges' || true)
[ -z "$lintian_report" ] || echo "$lintian_report"
! grep -q '^[EW]: ' <<<"$lintian_report" || { echo "lintian reports errors or warnings" >&2; exit 1; }
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$package" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.Hourwise.metainfo.xml"
for file in usr/bin/hourwise usr/libexec/hourwise/hourwise usr/share/applications/org.example.Hourwise.desktop \
            usr/share/icons/hicolor/scalable/apps/org.example.Hourwise.svg usr/share/man/man1/hourwise.1.gz \
            usr/share/doc/hourwise/copyright usr/share/doc/hourwise/changelog.gz; do
  [ -s "$root/$file" ] || { echo "missing from the package: $file" >&2; exit 1; }
done
for size in 16 22 24 32 48 64 128 256; do
  [ -s "$root/usr/share/icons/hicolor/${size}x$size/apps/org.example.Hourwise.png" ] ||
    { echo "missing from the package: the ${size}px icon" >&2; exit 1; }
done
dpkg-deb -f "$package" Depends | grep -q fonts-liberation
# The hourwise command makes the data folder and the program writes its three files there.
env -u XDG_DATA_HOME HOME=$root/home QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$root \
  timeout 5 "$root/usr/bin/hourwise" >/dev/null 2>&1 || true
for file in data.txc completedata.txc help.txc; do
  [ -s "$root/home/.local/share/hourwise/$file" ] || { echo "the installed program did not write $file" >&2; exit 1; }
done
echo "$package: clean, installs and starts"

echo "== Fuzzing the three data files (25 s a target)"
rm -rf build/test-fuzz
CXX=clang++ cmake -S . -B build/test-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHOURWISE_FUZZ=ON \
  -DHOURWISE_BENCHMARKS=OFF >/dev/null
cmake --build build/test-fuzz -j"$jobs" --target fuzz_data fuzz_switches fuzz_history
for target in fuzz_data fuzz_switches fuzz_history; do
  corpus=$(mktemp -d)
  # New inputs go to the temporary corpus; the seeds in the tree stay as they are.
  LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0 \
    "build/test-fuzz/tests/fuzz/$target" -max_total_time=25 -timeout=10 -print_final_stats=0 \
    -artifact_prefix="build/test-fuzz/$target-" "$corpus" "tests/fuzz/corpus/$target" 2>&1 | tail -3
  rm -rf "$corpus"
done

echo "== Sanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build/test-sanitize -DCMAKE_BUILD_TYPE=Debug -DHOURWISE_SANITIZE=ON -DHOURWISE_BENCHMARKS=OFF
