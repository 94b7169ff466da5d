#!/usr/bin/env bash
# The benchmark command: builds both targets, makes a bench prefix (1,000 files, 50 of them
# ".scr", in its system folder; listing folders of 1,000 to 100,000 files), runs bench.exe
# under Wine and prints a table of medians, then the exe sizes and imports.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" i686 -DQUILLMERE_TESTS=OFF >/dev/null
"$root/scripts/build.sh" x86_64 >/dev/null
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
"$WINE64" "$build/bench/bench.exe" "$build/Quillmere.exe" "$build/bench/minimal_window.exe" \
    "$build/bench/minimal_window_manifest.exe" "$build/bench/same_window.exe" \
    "${BENCH_RUNS:-21}" </dev/null
echo
echo "| release exe | size, bytes | imports |"
echo "|---|---|---|"
for arch in i686 x86_64; do
    exe="$root/build/$arch/Quillmere.exe"
    imports=$("$arch-w64-mingw32-objdump" -p "$exe" | awk '/DLL Name:/ {print $3}' | sort | paste -sd' ')
    echo "| $arch | $(stat -c %s "$exe") | $imports |"
done
