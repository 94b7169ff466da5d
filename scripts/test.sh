#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets, and runs every test under
# Wine with Xvfb as display, each run in a throwaway prefix of its own:
#   x86_64      the x86_64 build, 64-bit prefix;
#   i686-wow64  the i686 release, 64-bit prefix: a 32-bit process under WOW64, as most users run it;
#   i686-win32  the i686 release, 32-bit prefix: plain 32-bit Windows.
# The i686 runs need Wine's 32-bit side, which runs only where this machine runs 32-bit Linux
# programs. Elsewhere the i686 core tests run in Wine's WoW64 mode instead (i686-core), and the
# command says near its end that the i686 windows were not tested. Fails if any test fails.
# Extra arguments go to every ctest run (e.g. -R Registry).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" x86_64
"$root/scripts/build.sh" i686

. "$root/scripts/wine-env.sh"
untested=
if have_wine32; then
    runs=(x86_64 i686-wow64 i686-win32)
else
    untested=$("$root/scripts/linux32.sh" || true)
    [ -x "$WINE32" ] || untested="${untested:-wine32:i386 is not installed}"
    runs=(x86_64 i686-core)
    "$root/scripts/wine32-dlls.sh" "$root/build/i686/wine-dlls"
fi

start_xvfb
prefixes=()
cleanup() {
    for p in "${prefixes[@]}"; do WINEPREFIX=$p stop_wine; done
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

status=0
for run in "${runs[@]}"; do
    # Each run names its build, prefix, loader and the mode its processes must run in; the test
    # programs read the mode and fail if the process is not in it.
    arch=win64 loader=$WINE64 dllpath= select=()
    case $run in
    x86_64) build=x86_64 mode=x64 ;;
    i686-wow64) build=i686 mode=wow64 loader=$WINE32 ;;
    i686-win32) build=i686 mode=win32 loader=$WINE32 arch=win32 select=(-E '^Wow64\.') ;;
    i686-core) build=i686 mode=wow64 dllpath="$root/build/i686/wine-dlls" select=(-L core) ;;
    esac
    dir="$root/build/$build"
    export WINEPREFIX="$dir/wineprefix-$run" WINEARCH=$arch WINE_LOADER=$WINE64
    [ "$arch" = win64 ] || WINE_LOADER=$WINE32
    export QUILLMERE_WINEPREFIX=$WINEPREFIX QUILLMERE_WINE=$loader QUILLMERE_RUN_MODE=$mode
    export QUILLMERE_WINEDLLPATH=$dllpath
    if [ -n "$dllpath" ]; then export WINEDLLPATH=$dllpath; else unset WINEDLLPATH; fi
    export QUILLMERE_TEST_OUTPUT="$dir/test-output-$run"
    echo "== $run: the $build build's tests, $arch prefix, mode $mode"
    prefixes+=("$WINEPREFIX")
    rm -rf "$WINEPREFIX" "$QUILLMERE_TEST_OUTPUT"
    mkdir -p "$QUILLMERE_TEST_OUTPUT"
    make_prefix
    warm_wine
    ctest --test-dir "$dir" --output-on-failure --timeout 600 "${select[@]}" "$@" || status=$?
    stop_wine
done

# Screenshots for a reviewer to look at (not compared): BMP from the driver, PNG for people.
for bmp in "$root"/build/*/test-output-*/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $root/build/*/test-output-*/"
[ -z "$untested" ] || echo "NOTE: the i686 windows were not tested on this machine: $untested."
exit $status
