#!/usr/bin/env bash
# The run command: installs what is missing, builds, and opens Quillmere under Wine in a demo
# prefix (build/demo-prefix, made once and kept, with a few screen savers in its system folder):
# the i686 release, as 64-bit Windows runs it, where this machine runs Wine's 32-bit side, and
# the x86_64 build elsewhere. Without a display it runs under Xvfb and saves screenshots of both
# windows instead (build/screenshots/).
#   run.sh [--pictures]
# --pictures takes those screenshots whatever the display, in a fresh prefix, and makes them the
# README's pictures (docs/images/main-window.png, about-window.png).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pictures=no
case ${1:-} in
--pictures) pictures=yes ;;
"") ;;
*) echo "usage: run.sh [--pictures]" >&2; exit 2 ;;
esac
"$root/scripts/deps.sh" run
export WINEPREFIX="$root/build/demo-prefix"
[ $pictures = no ] || WINEPREFIX="$root/build/pictures-prefix"
. "$root/scripts/wine-env.sh"
arch=x86_64
have_wine32 && arch=i686
"$root/scripts/build.sh" $arch >/dev/null
build="$root/build/$arch"
[ $pictures = no ] || rm -rf "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX..."
    make_prefix
    for name in drift.scr Lanterns.scr starfall.scr Tidepool.scr; do
        : >"$WINEPREFIX/drive_c/windows/system32/$name"
    done
fi

if [ $pictures = no ] && [ -n "${DISPLAY:-}" ] && xset q >/dev/null 2>&1; then
    exec "$WINE64" "$build/Quillmere.exe"
fi

start_xvfb
trap 'stop_wine; kill "$XVFB_PID" 2>/dev/null || true' EXIT
shots="$root/build/screenshots"
rm -rf "$shots" && mkdir -p "$shots"
QUILLMERE_TEST_OUTPUT="$shots" "$WINE64" "$build/tests/tour.exe" </dev/null
# PNG without dates, so that the same pixels give the same bytes.
for bmp in "$shots"/*.bmp; do
    convert "$bmp" -strip -define png:exclude-chunks=date,time "${bmp%.bmp}.png" && rm -f "$bmp"
done
if [ $pictures = yes ]; then
    mkdir -p "$root/docs/images"
    cp "$shots/main-window.png" "$shots/about-window.png" "$root/docs/images/"
    echo "The README's pictures, taken under Xvfb at 96 DPI, are in $root/docs/images/."
    exit 0
fi
echo "No display: Quillmere ran under Xvfb. Screenshots:"
ls -1 "$shots"/*.png
