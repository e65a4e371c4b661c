#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Brivel needs that are missing, and builds
# (package: only what scripts/package.sh needs, no build).
#   setup.sh run|test|package
set -euo pipefail

mode=${1:-run}
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
          qt6-qpa-plugins libgl-dev libxcb1-dev fonts-liberation2 gstreamer1.0-plugins-base)
# The Debian package's tools: its dependencies are found in the binaries.
deb_packages=(dpkg-dev file binutils)
if [ "$mode" = run ]; then
  packages+=(pulseaudio-utils hardinfo)
elif [ "$mode" = package ]; then
  packages+=("${deb_packages[@]}")
else
  packages+=(xvfb openbox x11-utils xdotool pulseaudio pulseaudio-utils sox imagemagick
             desktop-file-utils appstream clang libclang-rt-14-dev
             weston xwayland qt6-wayland lintian "${deb_packages[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  # A fresh machine has no package lists yet.
  if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null 2>&1; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi

[ "$mode" = package ] && exit 0

werror=OFF
[ "$mode" = test ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIVEL_WERROR=$werror >/dev/null
cmake --build build -j"$(nproc)"
