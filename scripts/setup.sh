#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Brivel needs that are missing, and builds.
#   setup.sh run      what running Brivel needs: the program, its help viewer,
#                     its sound module and its data files
#   setup.sh test     all of that, the tests and what the tests need
#   setup.sh package  only what scripts/package.sh needs, no build
set -euo pipefail

mode=${1:-run}
cd "$(dirname "$0")/.."

# Each package with the reason Brivel needs it.
declare -A why=(
  [cmake]="builds Brivel"
  [ninja-build]="builds Brivel"
  [g++]="compiles Brivel"
  [qt6-base-dev]="Brivel's windows (Qt 6)"
  [qt6-base-dev-tools]="Brivel's windows (Qt 6 build tools)"
  [qt6-qpa-plugins]="shows Brivel's windows on the desktop"
  [libgl-dev]="needed by Qt 6 to build"
  [libxcb1-dev]="keeps windows on top and off the task bar"
  [fonts-liberation2]="the font Brivel's window is drawn in"
  [pulseaudio-utils]="tells whether a sound device is there"
  [hardinfo]="the System Info button of the About window starts it"
  [xvfb]="tests: a private X display"
  [openbox]="tests: a window manager on that display"
  [x11-utils]="tests: read window states (xprop, xwininfo)"
  [xdotool]="tests: press keys and find windows"
  [wmctrl]="tests: close a window as its title bar's button does"
  [pulseaudio]="tests: a private sound server"
  [dbus-daemon]="tests: a private session bus"
  [dbus-bin]="tests: tell when that bus answers (dbus-send)"
  [sox]="tests: make and check sound files"
  [imagemagick]="tests: screenshots of the windows"
  [desktop-file-utils]="tests: check the desktop entry"
  [appstream]="tests: check the software centre entry"
  [clang]="tests: fuzzing"
  [clang-format]="tests: every C++ file laid out as .clang-format says; the test share counted so"
  [libclang-rt-14-dev]="tests: fuzzing and sanitizers"
  [weston]="tests: a Wayland session"
  [xwayland]="tests: the X server of that Wayland session"
  [qt6-wayland]="tests: Brivel as a native Wayland program"
  [dunst]="tests: a notification server that shows the alarm's notification"
  [lintian]="tests: check the Debian package"
  [dpkg-dev]="the Debian package: its dependencies"
  [file]="the Debian package: its dependencies"
  [binutils]="the Debian package: its dependencies"
  [pkg-config]="finds the sound libraries to build with"
  [libpulse-dev]="plays the alarm through the sound server"
  [libsndfile1-dev]="reads wave files of every encoding"
  [libcanberra-dev]="the desktop's bell sound"
  [libcanberra-pulse]="the desktop's bell through the sound server"
  [sound-theme-freedesktop]="the bell sound itself"
)
packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools
          qt6-qpa-plugins libgl-dev libxcb1-dev fonts-liberation2
          pkg-config libpulse-dev libsndfile1-dev libcanberra-dev libcanberra-pulse sound-theme-freedesktop)
# The Debian package's tools: its dependencies are found in the binaries.
deb_packages=(dpkg-dev file binutils)
if [ "$mode" = run ]; then
  packages+=(pulseaudio-utils hardinfo)
elif [ "$mode" = package ]; then
  packages+=("${deb_packages[@]}")
else
  packages+=(xvfb openbox x11-utils xdotool wmctrl dbus-daemon dbus-bin pulseaudio pulseaudio-utils sox imagemagick
             desktop-file-utils appstream clang clang-format libclang-rt-14-dev
             weston xwayland qt6-wayland lintian "${deb_packages[@]}")
  packages+=(dunst)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Brivel needs these Debian packages, which are not installed yet:"
  for p in "${missing[@]}"; do
    printf '  %-28s %s\n' "$p" "${why[$p]}"
  done
  echo "Installing them with ${sudo:+sudo }apt-get${sudo:+ (sudo may ask for your password)}."
  # A fresh machine has no package lists yet.
  if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null 2>&1; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi

[ "$mode" = package ] && exit 0

werror=OFF
tests=OFF
if [ "$mode" = test ]; then
  werror=ON
  tests=ON
  echo "Building Brivel and all its tests."
else
  echo "Building what running Brivel needs (program, help viewer, sound module, data files); no tests."
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRIVEL_WERROR=$werror \
  -DBRIVEL_TESTS=$tests >/dev/null
cmake --build build -j"$(nproc)"
