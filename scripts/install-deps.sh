#!/usr/bin/env bash
# Installs the Debian 12 packages that Hourwise needs to build, run and be
# tested, when any is missing. Uses sudo when not run as root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
  qt6-gtk-platformtheme
  libbenchmark-dev
  fonts-liberation
  xvfb xauth x11-utils xdotool faketime
  clang
  dpkg-dev file
  libxss-dev python3 dbus-daemon
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
