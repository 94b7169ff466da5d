#!/usr/bin/env bash
# The test command's decision whether this machine can do the i686 runs (scripts/i686-check.sh,
# with scripts/linux32.sh), run against stand-ins for the 32-bit loader, the kernel and Wine, so
# that every answer is reached on any machine. "Cannot" (exit 77) only for the genuine i386
# loader refused by the kernel; a damaged or foreign loader, a probe in the wrong mode or a
# script error is a failure, never "cannot".
# Usage: decision-check.sh WORK_FOLDER
set -uo pipefail
work=${1:?usage: decision-check.sh WORK_FOLDER}
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work/prefix" && cd "$work" || exit 1

# A kernel that refuses every program, as one without 32-bit support refuses the loader; Wine,
# whose probe prints $PROBE_SAYS or fails; a no-op server and loader.
printf '#!/bin/sh\necho "$1: cannot execute binary file: Exec format error" >&2\nexit 126\n' >kernel
printf '#!/bin/sh\n[ -n "$PROBE_SAYS" ] && echo "$PROBE_SAYS" && exit 0\n%s\nexit 1\n' \
    'echo "wine: could not load kernel32.dll, status c0000135" >&2' >wine-run
printf '#!/bin/sh\nexit 0\n' >wine
chmod +x kernel wine-run wine
cp -L /lib/ld-linux.so.2 genuine || exit 1
head -c 67 /dev/zero >damaged && chmod +x damaged
cp -L /bin/true foreign
: >prefix/system.reg # made: no wineboot

failures=0
# expect 0|77|failure WHAT RUN [VAR=value...]: the decision for RUN in the run's environment.
expect() {
    local want=$1 what=$2 run=$3 out got
    shift 3
    out=$(env -i PATH="$PATH" WINEPREFIX="$work/prefix" QUILLMERE_RUN_MODE=wow64 \
        WINE_LOADER="$work/wine" WINESERVER="$work/wine" "$@" \
        "$root/scripts/i686-check.sh" "$run" "$work/wine-run" probe.exe 2>&1)
    got=$?
    if [ "$want" = failure ] && [ $got -ne 0 ] && [ $got -ne 77 ] || [ "$got" = "$want" ]; then
        echo "ok: $what: exit $got: $out"
    else
        echo "FAILED: $what: exit $got, expected $want: $out"
        failures=$((failures + 1))
    fi
}

expect 77 "the genuine loader refused" i686-wow64 QUILLMERE_LOADER="$work/genuine" QUILLMERE_KERNEL="$work/kernel"
expect failure "a damaged loader, refused by this kernel" i686-win32 QUILLMERE_LOADER="$work/damaged"
expect failure "a foreign loader refused" i686-wow64 QUILLMERE_LOADER="$work/foreign" QUILLMERE_KERNEL="$work/kernel"
expect failure "no loader" i686-wow64 QUILLMERE_LOADER="$work/missing"
expect 0 "the probe in the run's mode" i686-wow64 QUILLMERE_KERNEL=true "PROBE_SAYS=quillmere-probe wow64"
expect failure "the probe in another mode" i686-wow64 QUILLMERE_KERNEL=true "PROBE_SAYS=quillmere-probe win32"
expect failure "the probe failing where the loader runs" i686-win32 QUILLMERE_KERNEL=true
expect 77 "acting as if no 32-bit code ran" i686-win32 QUILLMERE_AS_IF=no-32bit
expect failure "a script error: no prefix named" i686-wow64 QUILLMERE_KERNEL=true WINEPREFIX=
[ $failures -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
