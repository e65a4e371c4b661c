#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package brivel_<version>_<arch>.deb: what is missing
# installed first, a release build for /usr in build-package, then CPack's
# DEB generator, with the dependencies dpkg-shlibdeps finds in the binaries.
# The package goes into the folder given, by default build-package itself,
# never into the checkout.
#   scripts/package.sh [output folder]
set -euo pipefail
out=
if [ $# -gt 0 ]; then
  mkdir -p "$1"
  out=$(realpath "$1")
fi
cd "$(dirname "$0")/.."
scripts/setup.sh package
build=build-package
out=${out:-$PWD/$build}

# Debian's hardening flags, all of them (bindnow included).
flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
ldflags=$(flags LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRIVEL_TESTS=OFF \
  -DBRIVEL_INSTALLED_LAYOUT=ON -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$(nproc)"
# Only the package of this build is left for apt to find.
rm -f "$build"/package/brivel_*.deb "$build"/brivel_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
cp "$build"/package/brivel_*.deb "$out/"
ls "$out"/brivel_*.deb
