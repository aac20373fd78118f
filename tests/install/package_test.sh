#!/usr/bin/env bash
# The Debian package made from this build: lintian finds no error in it, it depends on the font
# and the sound font the game reads besides its libraries, and it holds no test tools.
#   package_test.sh CPACK BUILD_DIR
set -euo pipefail
cpack=$1 build=$2
command -v lintian >/dev/null || { echo "lintian not found: install lintian (scripts/install-deps)"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$cpack" -G DEB -B "$tmp" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; exit 1; }
deb=$(echo "$tmp"/velmora_*.deb)
lintian --fail-on error "$deb" 2>/dev/null || { echo "lintian finds errors in $(basename "$deb")"; exit 1; }
depends=$(dpkg-deb -f "$deb" Depends)
for need in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libfluidsynth3 libfontconfig1 fonts-dejavu-core fluid-soundfont-gm; do
  [[ ", $depends" == *", $need"* ]] || { echo "Depends lacks $need: $depends"; exit 1; }
done
if dpkg-deb -c "$deb" | grep -q skirmo-replay; then echo "the package holds the replay runner"; exit 1; fi
echo "$(basename "$deb"): lintian finds no errors; Depends: $depends"
