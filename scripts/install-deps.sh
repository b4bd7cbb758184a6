#!/usr/bin/env bash
# Installs the Debian 12 packages that Hourwise needs, when any is missing:
# by default what building and running it need; with --test also what the
# tests, the benchmarks, the fuzzing and the package checks need. Every
# package that is used is named here: nothing may come from what happens to
# be installed already, and apt-get runs without recommendations. Uses sudo
# when not run as root, and does nothing (no apt-get) when all are there.
set -euo pipefail

build_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  qt6-gtk-platformtheme qt6-wayland
  libxss-dev libwayland-dev libwayland-bin wayland-protocols
  fonts-liberation
)
test_packages=(
  libbenchmark-dev
  xvfb xauth x11-utils xdotool faketime
  clang libclang-rt-14-dev
  dpkg-dev file lintian appstream
  python3 dbus-daemon syncthing
  fonts-dejavu-core fonts-noto-core
)

packages=("${build_packages[@]}")
case "${1-}" in
  --test) packages+=("${test_packages[@]}") ;;
  '') ;;
  *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

fail() { echo "install-deps.sh: $*" >&2; exit 1; }

command -v dpkg-query >/dev/null || fail "dpkg-query not found: this script needs Debian 12 or a system based on it."
# dpkg-query exits non-zero when any named package is unknown to it, which is
# the usual case on a new machine: its answer is read, its status is not.
installed=$(dpkg-query -W -f='${db:Status-Status} ${Package}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for package in "${packages[@]}"; do
  grep -qx "installed $package" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null ||
    fail "missing packages (${missing[*]}), and sudo is not installed: run this script as root."
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# apt-get's and dpkg's own lines are shown only when something fails.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
apt() {
  "${sudo[@]}" apt-get "$@" >"$log" 2>&1 && return
  tail -n 15 "$log" >&2
  return 1
}
apt update -qq || fail "apt-get update failed: check the network and the package sources in /etc/apt."
apt install -y -qq --no-install-recommends "${missing[@]}" || fail "apt-get could not install: ${missing[*]}."
