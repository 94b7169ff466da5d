#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets, makes a throwaway Wine
# prefix in the build tree, runs every test under Wine, and fails if anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" i686 -DQUILLMERE_TESTS=OFF
"$root/scripts/build.sh" x86_64

build="$root/build/x86_64"
export WINEPREFIX="$build/wineprefix"
. "$root/scripts/wine-env.sh"
rm -rf "$WINEPREFIX"
make_prefix
start_xvfb
cleanup() {
    stop_wine
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
warm_wine
rm -rf "$build/test-output"; mkdir -p "$build/test-output"
export QUILLMERE_TEST_OUTPUT="$build/test-output"
cd "$build"
status=0
ctest --output-on-failure --timeout 600 "$@" || status=$?
# Screenshots for a reviewer to look at (not compared): BMP from the driver, PNG for people.
for bmp in "$QUILLMERE_TEST_OUTPUT"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$QUILLMERE_TEST_OUTPUT"/*.png >/dev/null 2>&1 && echo "Screenshots: $QUILLMERE_TEST_OUTPUT"
exit $status
