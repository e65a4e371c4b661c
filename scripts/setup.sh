#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Brivel needs that are missing, and builds.
#   setup.sh run|test
set -euo pipefail

mode=${1:-run}
cd "$(dirname "$0")/.."

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev
          qt6-qpa-plugins libgl-dev libxcb1-dev fonts-liberation2 gstreamer1.0-plugins-base
          pkg-config libpulse-dev libsndfile1-dev libcanberra-dev libcanberra-pulse sound-theme-freedesktop)
if [ "$mode" = run ]; then
  packages+=(pulseaudio-utils hardinfo)
else
  packages+=(xvfb openbox x11-utils xdotool pulseaudio pulseaudio-utils sox imagemagick
             desktop-file-utils appstream clang libclang-rt-14-dev)
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

werror=OFF
[ "$mode" = test ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIVEL_WERROR=$werror >/dev/null
cmake --build build -j"$(nproc)"
