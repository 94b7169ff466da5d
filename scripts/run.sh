#!/usr/bin/env bash
# The run command: installs what is missing, builds, and opens Quillmere under Wine in a demo
# prefix (build/demo-prefix, made once and kept, with a few screen savers in its system folder):
# the i686 release, as 64-bit Windows runs it, where this machine runs Wine's 32-bit side, and
# the x86_64 build elsewhere. Without a display it runs under Xvfb and saves screenshots of both
# windows instead.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" run
export WINEPREFIX="$root/build/demo-prefix"
. "$root/scripts/wine-env.sh"
arch=x86_64
have_wine32 && arch=i686
"$root/scripts/build.sh" $arch >/dev/null
build="$root/build/$arch"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the demo prefix in $WINEPREFIX (once)..."
    make_prefix
    for name in drift.scr Lanterns.scr starfall.scr Tidepool.scr; do
        : >"$WINEPREFIX/drive_c/windows/system32/$name"
    done
fi

if [ -n "${DISPLAY:-}" ] && xset q >/dev/null 2>&1; then
    exec "$WINE64" "$build/Quillmere.exe"
fi

start_xvfb
trap 'stop_wine; kill "$XVFB_PID" 2>/dev/null || true' EXIT
shots="$root/build/screenshots"
rm -rf "$shots" && mkdir -p "$shots"
QUILLMERE_TEST_OUTPUT="$shots" "$WINE64" "$build/tests/tour.exe" </dev/null
for bmp in "$shots"/*.bmp; do convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; done
echo "No display: Quillmere ran under Xvfb. Screenshots:"
ls -1 "$shots"/*.png
