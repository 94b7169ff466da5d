#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets, and runs every test under
# Wine with Xvfb as display, each target in a throwaway prefix of its own in its build tree:
# the x86_64 build's tests under 64-bit Wine, then the i686 build's core tests in Wine's WoW64
# mode (a 32-bit process on 64-bit Windows, as the release mostly runs). Fails if anything
# fails. Extra arguments go to both ctest runs (e.g. -R Registry).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" i686 -DQUILLMERE_TESTS=ON
"$root/scripts/build.sh" x86_64
"$root/scripts/wine32-dlls.sh" "$root/build/i686/wine-dlls"

. "$root/scripts/wine-env.sh"
start_xvfb
cleanup() {
    for arch in x86_64 i686; do WINEPREFIX="$root/build/$arch/wineprefix" stop_wine; done
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

status=0
for arch in x86_64 i686; do
    build="$root/build/$arch"
    export WINEPREFIX="$build/wineprefix"
    if [ "$arch" = i686 ]; then
        export WINEDLLPATH="$build/wine-dlls" WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
    fi
    echo "== $arch: tests under Wine${WINEDLLPATH:+ (WoW64 mode)}"
    rm -rf "$WINEPREFIX"
    make_prefix
    warm_wine
    rm -rf "$build/test-output"; mkdir -p "$build/test-output"
    export QUILLMERE_TEST_OUTPUT="$build/test-output"
    (cd "$build" && ctest --output-on-failure --timeout 600 "$@") || status=$?
    stop_wine
done

# Screenshots for a reviewer to look at (not compared): BMP from the driver, PNG for people.
shots="$root/build/x86_64/test-output"
for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
ls "$shots"/*.png >/dev/null 2>&1 && echo "Screenshots: $shots"
exit $status
