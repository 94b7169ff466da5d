#!/usr/bin/env bash
# The benchmark command: builds both targets, makes a bench prefix (1,000 files, 50 of them
# ".scr", in its system folder; listing folders of 1,000 to 100,000 files), runs bench.exe
# under Wine and prints tables of medians: start-up and memory against the same window without
# the program's logic, what the dialog font decision costs (at 96 and 144 DPI), the i686 release
# under WOW64 against the i686 same window where this machine runs 32-bit programs, listing
# times, then the exe sizes and imports. BENCH_BASELINE (below) pairs it against an earlier build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" bench
"$root/scripts/build.sh" i686 Quillmere bench_programs >/dev/null
"$root/scripts/build.sh" x86_64 Quillmere bench_programs >/dev/null
build="$root/build/x86_64"

export WINEPREFIX="$build/bench-prefix"
. "$root/scripts/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    make_prefix
    python3 - "$WINEPREFIX/drive_c" <<'PY'
import os, sys
drive = sys.argv[1]
def fill(folder, n):
    os.makedirs(folder, exist_ok=True)
    for i in range(n):
        open(os.path.join(folder, "bench%06d.%s" % (i, "dat" if i % 20 else "scr")), "w").close()
fill(os.path.join(drive, "windows", "system32"), 1000)
for n in (1000, 10000, 100000):
    fill(os.path.join(drive, "quillmere-bench", str(n), "system32"), n)
PY
fi
start_xvfb
trap 'stop_wine; kill "$XVFB_PID" 2>/dev/null || true' EXIT
warm_wine

echo "Quillmere benchmark, $(date -u +%Y-%m-%d), $(nproc) cores, $(uname -m), $(wine64 --version 2>/dev/null || echo wine)"
echo
runs=${BENCH_RUNS:-41}
"$WINE64" "$build/bench/bench.exe" "$build/Quillmere.exe" "$build/bench/minimal_window.exe" \
    "$build/bench/minimal_window_manifest.exe" "$build/bench/same_window.exe" "$runs" </dev/null

pairs() { "$WINE64" "$build/bench/bench.exe" --pairs "$runs" "$@" </dev/null; }
echo
echo "Against the same window, and the same window with the design's icon and its focus in the"
echo "screen-saver chooser when it opens:"
echo
pairs "same window=$build/bench/same_window.exe" \
    "designed same window=$build/bench/same_window_designed.exe" "Quillmere=$build/Quillmere.exe"
font_pairs() {
    pairs "font unchecked=$build/bench/quillmere_fixed_font.exe" "Quillmere=$build/Quillmere.exe" \
        "earlier check=$build/bench/quillmere_old_font_check.exe"
}
echo
echo "The dialog font decision, paired: Quillmere with its font taken unchecked, as is, and with"
echo "the earlier check (its own screen DCs). At 96 DPI:"
echo
font_pairs
echo
echo "At 144 DPI, where MS Sans Serif is refused:"
echo
"$WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
font_pairs
"$WINE64" reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
echo
if have_wine32; then
    echo "The i686 release under WOW64, against the i686 build of the same window:"
    echo
    i686="$root/build/i686"
    pairs "i686 same window=$i686/bench/same_window.exe" \
        "i686 designed same window=$i686/bench/same_window_designed.exe" \
        "i686 Quillmere=$i686/Quillmere.exe"
else
    echo "The i686 release was not measured: $("$root/scripts/linux32.sh")."
fi
# BENCH_BASELINE=DIR: the build folder of an earlier commit (its x86_64/ and i686/ Quillmere.exe),
# paired against this build in the same run.
if [ -n "${BENCH_BASELINE:-}" ]; then
    echo
    echo "Against the exes of an earlier build ($BENCH_BASELINE):"
    echo
    pairs "earlier=$BENCH_BASELINE/x86_64/Quillmere.exe" "Quillmere=$build/Quillmere.exe"
    if have_wine32; then
        echo
        pairs "i686 earlier=$BENCH_BASELINE/i686/Quillmere.exe" \
            "i686 Quillmere=$root/build/i686/Quillmere.exe"
    fi
fi
echo
echo "| release exe | size, bytes | imports |"
echo "|---|---|---|"
for arch in i686 x86_64; do
    exe="$root/build/$arch/Quillmere.exe"
    imports=$("$arch-w64-mingw32-objdump" -p "$exe" | awk '/DLL Name:/ {print $3}' | sort | paste -sd' ')
    echo "| $arch | $(stat -c %s "$exe") | $imports |"
done
