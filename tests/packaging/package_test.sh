#!/usr/bin/env bash
# The Debian package as an office installs it: made from the build tree,
# extracted into an empty folder, its programs run from there with no display,
# no settings and no path of the build tree.
# Usage: package_test.sh BUILD-DIR CPACK   (exit 77: dpkg-deb missing, skipped)
set -euo pipefail
BUILD="$(realpath "$1")"
CPACK="$2"
command -v dpkg-deb >/dev/null || { echo "dpkg-deb missing: skipped"; exit 77; }
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

(cd "$BUILD" && "$CPACK" -G DEB -B "$WORK/package" >"$WORK/cpack.log") || { cat "$WORK/cpack.log"; exit 1; }
DEB="$(ls "$WORK"/package/morvane_*_*.deb)"
DEPENDS="$(dpkg-deb -f "$DEB" Depends)"
[[ "$DEPENDS" == *fonts-liberation* ]] || { echo "no fonts-liberation in Depends: $DEPENDS"; exit 1; }
[[ "$DEPENDS" == *libqt6widgets6* ]] || { echo "no Qt in Depends, dpkg-shlibdeps did not run: $DEPENDS"; exit 1; }
dpkg-deb -x "$DEB" "$WORK/root"
BIN="$WORK/root/usr/bin"
if grep -l -e "$BUILD" -e "$(dirname "$BUILD")/src" "$BIN"/*; then echo "a build-tree path is baked in"; exit 1; fi
for page in morvane mvdb; do
  test -s "$WORK/root/usr/share/man/man1/$page.1.gz" || { echo "no manual page $page(1)"; exit 1; }
done

# As a fresh user of a machine without a display or settings.
export HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/.config" XDG_CONFIG_DIRS="$WORK/etc" XDG_DATA_HOME="$WORK/data"
export XDG_RUNTIME_DIR="$WORK/run" MORVANE_TODAY=2025-06-15
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM MORVANE_DB MORVANE_OUT MORVANE_PRINTER
[[ "$("$BIN/morvane" --version)" =~ ^morvane\ \(ControleMorvane\)\ [0-9.]+$ ]] || { echo "no version"; exit 1; }
[[ "$("$BIN/morvane" --help)" == *--no-return-date* ]] || { echo "no help"; exit 1; }
"$BIN/mvdb" demo "$WORK/demo.mvdb" --carers 6 >/dev/null 2>&1
"$BIN/morvane" report --db "$WORK/demo.mvdb" --sick-leave --all --from 01/01/2025 --to 31/12/2025 \
  --output-file "$WORK/liste.pdf"
[[ "$(head -c 5 "$WORK/liste.pdf")" == %PDF- ]] || { echo "no list printed"; exit 1; }
echo "package $(basename "$DEB"): $(stat -c %s "$DEB") bytes"
