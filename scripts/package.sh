#!/usr/bin/env bash
# Builds the Debian package morvane_<version>_<arch>.deb with Debian's
# hardening flags, and checks it with lintian (an error fails the script).
# Usage: scripts/package.sh [build-dir]   (default build-package; the
# package is left in <build-dir>/package/)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD="${1:-build-package}"

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j2 --target morvane mvdb packaging_files
rm -rf "$BUILD/package"
(cd "$BUILD" && cpack -G DEB -B "$PWD/package")
DEB="$(ls "$BUILD"/package/morvane_*.deb)"

echo "== lintian"
lintian --info --fail-on error "$DEB"
echo "package: $DEB ($(du -h "$DEB" | cut -f1))"
dpkg-deb -f "$DEB" Depends
