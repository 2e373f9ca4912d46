#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config lld
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 libqt6svg6 libgl-dev
  libsqlite3-dev sqlite3
  postgresql libpq-dev
  nlohmann-json3-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation fonts-dejavu-core
  poppler-utils xvfb xauth
  clang libclang-rt-14-dev valgrind time
  qt6-translations-l10n  # Qt's own texts in French ("Annuler")
  dpkg-dev lintian help2man desktop-file-utils appstream man-db  # the Debian package and its checks
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
echo "setup: all packages present"
