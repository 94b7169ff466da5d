#!/usr/bin/env bash
# The test command: installs what is missing, builds both targets, and runs every test under
# Wine with Xvfb as display, each run in a throwaway prefix of its own:
#   x86_64      the x86_64 build, 64-bit prefix; it also reads the i686 release's file (headers,
#               imports, version stamp, manifest), which needs no 32-bit code;
#   i686-wow64  the i686 release, 64-bit prefix: a 32-bit process under WOW64, as most users run it;
#   i686-win32  the i686 release, 32-bit prefix: plain 32-bit Windows.
# scripts/i686-check.sh decides whether this machine can do the i686 runs: first whether it
# runs 32-bit code at all, before anything is built for them, then by starting a 32-bit probe as
# each run would. A run it cannot do is named in a NOTE near the end; anything else that stops a
# run fails the command. Exits 0 only if every run that was possible passed.
# Extra arguments go to every run's ctest and narrow it (e.g. -R Registry, -E Release): a run
# they leave no test of is named in a NOTE; if they leave no test in any run this machine can
# do, the command fails, naming them. --run NAME, first, does that run alone and builds only
# what it needs; a run this machine cannot do exits 77 ("skipped"), after one line saying why,
# and builds nothing. QUILLMERE_AS_IF=no-32bit walks the path of a machine that runs no 32-bit
# code on one that does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=(x86_64 i686-wow64 i686-win32)
if [ "${1:-}" = --run ]; then
    case ${2:-} in
    x86_64 | i686-wow64 | i686-win32) runs=("$2") ;;
    *) echo "usage: test.sh [--run x86_64|i686-wow64|i686-win32] [ctest arguments]" >&2; exit 2 ;;
    esac
    shift 2
fi
"$root/scripts/deps.sh" test
# Whether this machine runs 32-bit code at all, before anything is built for the i686 runs.
machine32=$("$root/scripts/i686-check.sh" --machine) && can32=yes || {
    rc=$?
    [ $rc -eq 77 ] || { echo "FAILED: could not tell whether this machine runs 32-bit code: $machine32"; exit 1; }
    can32=no
}
if [ $can32 = no ] && [[ ${runs[*]} == i686-* ]]; then
    # 77, the conventional "skipped": a script can tell it from a pass.
    echo "SKIPPED: the ${runs[0]} run, which this machine cannot do: $machine32"
    exit 77
fi
case ${runs[*]} in
x86_64) # and the i686 release's file, which it reads
    "$root/scripts/build.sh" x86_64
    "$root/scripts/build.sh" i686 Quillmere ;;
i686-*) "$root/scripts/build.sh" i686 ;;
*)
    "$root/scripts/build.sh" x86_64
    if [ $can32 = yes ]; then "$root/scripts/build.sh" i686; else "$root/scripts/build.sh" i686 Quillmere; fi ;;
esac

. "$root/scripts/wine-env.sh"
start_xvfb
prefixes=()
cleanup() {
    for p in "${prefixes[@]}"; do WINEPREFIX=$p stop_wine; done
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT

status=0
not_run=() not_run_why= filtered=() matched=no
for run in "${runs[@]}"; do
    if [ "$run" != x86_64 ] && [ $can32 = no ]; then
        echo "== $run: not run, this machine cannot: $machine32"
        not_run+=("$run") not_run_why=$machine32
        continue
    fi
    # Each run names its build, prefix, loader and the mode its processes must run in; the test
    # programs read the mode and fail if the process is not in it.
    arch=win64 loader=$WINE64
    case $run in
    x86_64) build=x86_64 mode=x64 ;;
    i686-wow64) build=i686 mode=wow64 loader=$WINE32 ;;
    i686-win32) build=i686 mode=win32 loader=$WINE32 arch=win32 ;;
    esac
    dir="$root/build/$build"
    export WINEPREFIX="$dir/wineprefix-$run" WINEARCH=$arch WINE_LOADER=$WINE64
    [ "$arch" = win64 ] || WINE_LOADER=$WINE32
    export QUILLMERE_WINEPREFIX=$WINEPREFIX QUILLMERE_WINE=$loader QUILLMERE_RUN_MODE=$mode
    export QUILLMERE_TEST_OUTPUT="$dir/test-output-$run"
    echo "== $run: the $build build's tests, $arch prefix, mode $mode"
    prefixes+=("$WINEPREFIX")
    rm -rf "$WINEPREFIX" "$QUILLMERE_TEST_OUTPUT"
    mkdir -p "$QUILLMERE_TEST_OUTPUT"
    if [ "$run" = x86_64 ]; then
        make_prefix
        warm_wine
    else
        why=$("$root/scripts/i686-check.sh" "$run" "$dir/wine-run.sh" "$dir/tests/probe.exe") && rc=0 || rc=$?
        if [ $rc -ne 0 ]; then
            stop_wine
            if [ $rc -eq 77 ] && [ -n "$why" ]; then
                echo "== $run: not run, this machine cannot: $why"
                not_run+=("$run")
                not_run_why=$why
            else
                echo "FAILED: the $run run could not start: $why"
                status=1
            fi
            continue
        fi
    fi
    # The desktop shell stays for the whole run, as on Windows (tests/DesktopHolder.cpp).
    ("$dir/wine-run.sh" "$dir/tests/desktop_holder.exe" </dev/null >/dev/null 2>&1 &)
    # The user's arguments narrow the run's own selection. A run they leave no test of is said
    # so; with no arguments, a run without tests fails.
    if [ $# -gt 0 ]; then
        listed=$(ctest --test-dir "$dir" -N "$@") || {
            echo "FAILED: the $run run's tests could not be listed with: $*"
            status=1 && stop_wine && continue
        }
        if [ "$(sed -n 's/^Total Tests: //p' <<<"$listed")" = 0 ]; then
            echo "== $run: no test of this run matches: $*"
            filtered+=("$run") && stop_wine && continue
        fi
        matched=yes
    fi
    ctest --test-dir "$dir" --output-on-failure --no-tests=error --timeout 600 "$@" ||
        status=$?
    stop_wine
done

# Screenshots for a reviewer to look at (not compared): BMP from the driver, PNG for people.
for bmp in "$root"/build/*/test-output-*/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $root/build/*/test-output-*/"
if [ ${#not_run[@]} -gt 0 ]; then
    # What stops them is this machine's, the same for both runs: said once.
    note=$(printf ' and %s' "${not_run[@]}")
    note="${note:5} ($not_run_why)"
    # Narrowed, the x86_64 run may not have read the release's file: then say nothing of it.
    if [[ " ${runs[*]} " == *" x86_64 "* ]] && [ $# -eq 0 ]; then
        note+=". The i686 release's file was still checked (size, headers, imports, version stamp, manifest) in the x86_64 run"
    fi
    echo "NOTE: not run on this machine: $note."
fi
if [ ${#filtered[@]} -gt 0 ]; then
    if [ $matched = yes ]; then
        echo "NOTE: no test of ${filtered[*]} matches: $*"
    else
        # A mistyped filter must not read as a pass.
        echo "FAILED: no test of any run this machine can do matches: $*"
        status=1
    fi
fi
exit $status
