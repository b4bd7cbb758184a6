#!/usr/bin/env bash
# Installs the Debian 12 packages that Hourwise needs, when any is missing:
# by default what building and running it need; with --test also what the
# tests, the benchmarks, the fuzzing and the package checks need. Uses sudo
# when not run as root, and does nothing (no apt-get) when all are there.
set -euo pipefail

build_packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  qt6-gtk-platformtheme
  libxss-dev
  fonts-liberation
)
test_packages=(
  libbenchmark-dev
  xvfb xauth x11-utils xdotool faketime
  clang
  dpkg-dev file lintian appstream
  python3 dbus-daemon
)

packages=("${build_packages[@]}")
case "${1-}" in
  --test) packages+=("${test_packages[@]}") ;;
  '') ;;
  *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

installed=$(dpkg-query -W -f='${db:Status-Status} ${Package}\n' "${packages[@]}" 2>/dev/null |
            awk '$1 == "installed" {print $2}')
missing=()
for package in "${packages[@]}"; do
  grep -qx "$package" <<<"$installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
