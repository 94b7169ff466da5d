#!/usr/bin/env bash
# The test command's decision whether this machine can do the i686 runs (scripts/i686-check.sh,
# with scripts/linux32.sh), run against stand-ins for the 32-bit loader, the kernel and Wine, so
# that every answer is reached on any machine. "Cannot" (exit 77) only for the genuine i386
# loader refused by the kernel; a damaged or foreign loader, a probe in the wrong mode or a
# script error is a failure, never "cannot". And the test command's verdict on what it could
# not run: a filter that leaves no test anywhere fails it, a run this machine cannot do exits
# 77 having built nothing, and the whole command on such a machine passes with its NOTE.
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

# The test command itself, in a copy of the tree whose scripts it calls are stand-ins: the
# installs and the Wine helpers do nothing, the build records what it is asked for, the machine
# decision says $MACHINE ("cannot" or "can"), and ctest lists $LISTED tests and passes them.
tree=$work/tree
mkdir -p "$tree/scripts" "$work/bin"
cp "$root/scripts/test.sh" "$tree/scripts/"
printf '#!/bin/sh\nexit 0\n' >"$tree/scripts/deps.sh"
printf '#!/bin/sh\necho "$*" >>"%s/built"\n' "$work" >"$tree/scripts/build.sh"
printf '#!/bin/sh\n[ "$MACHINE" = can ] && exit 0\necho "the kernel refused the loader"\nexit 77\n' \
    >"$tree/scripts/i686-check.sh"
printf 'WINE64=true WINE32=true\nstart_xvfb() { XVFB_PID=; }\n%s\n' \
    'make_prefix() { :; }; warm_wine() { :; }; stop_wine() { :; }' >"$tree/scripts/wine-env.sh"
printf '#!/bin/sh\ncase " $* " in *" -N "*) echo "Total Tests: $LISTED" ;; esac\nexit 0\n' \
    >"$work/bin/ctest"
chmod +x "$tree/scripts/"*.sh "$work/bin/ctest"

# expect_command 0|77|failure WHAT MACHINE LISTED [test.sh arguments...]: the command's exit, and
# that its output holds $SAYS.
expect_command() {
    local want=$1 what=$2 machine=$3 listed=$4 out got
    shift 4
    rm -f "$work/built"
    out=$(env -i PATH="$work/bin:$PATH" MACHINE="$machine" LISTED="$listed" \
        "$tree/scripts/test.sh" "$@" 2>&1)
    got=$?
    if { [ "$want" = failure ] && [ $got -ne 0 ] && [ $got -ne 77 ] || [ "$got" = "$want" ]; } &&
        grep -qF -- "$SAYS" <<<"$out"; then
        echo "ok: $what: exit $got"
    else
        echo "FAILED: $what: exit $got, expected $want and \"$SAYS\": $out"
        failures=$((failures + 1))
    fi
}

SAYS=NoSuchSuiteXYZ expect_command failure "a filter no run matches" can 0 --run x86_64 -R NoSuchSuiteXYZ
SAYS="SKIPPED: the i686-wow64 run" expect_command 77 "a run this machine cannot do" cannot 5 --run i686-wow64
[ ! -e "$work/built" ] || { echo "FAILED: a run this machine cannot do built: $(cat "$work/built")"; failures=$((failures + 1)); }
SAYS="NOTE: not run on this machine: i686-wow64 and i686-win32" expect_command 0 "every run, on a machine that runs no 32-bit code" cannot 5
[ "$(cat "$work/built" 2>/dev/null)" = $'x86_64\ni686 Quillmere' ] || {
    echo "FAILED: on a machine that runs no 32-bit code, it built: $(cat "$work/built")"
    failures=$((failures + 1))
}
[ $failures -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
