#!/usr/bin/env bash
# The one place that decides whether this machine can do an i686 run of the test command: it
# asks scripts/linux32.sh whether this machine runs 32-bit Linux programs, which Wine's 32-bit
# side needs, then makes the run's prefix and starts the probe (a tiny i686 console program
# built with the tests) exactly as the run starts its tests, through the build's wine-run.sh
# with the run's prefix and loader, and expects it to print the run's mode. Call it with the
# run's environment set, as scripts/test.sh does.
#   i686-check.sh RUN WINE_RUN PROBE_EXE
#   i686-check.sh --machine       only whether this machine runs 32-bit code at all, before
#                                 anything is built for the i686 runs
# Exit 0: the probe ran in the run's mode; the prefix is made and warm (--machine: this machine
# runs 32-bit Linux programs).
# Exit 77: this machine runs no 32-bit Linux programs; prints why on one line.
# No shell error exits with 77: every other code, a script error's 1 among them, is a failure.
# QUILLMERE_AS_IF=no-32bit acts as if this machine ran no 32-bit code, to walk that path on any
# machine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cannot() { echo "$*"; exit 77; }
failed() { echo "$*"; exit 2; }
if [ "${1:-}" != --machine ]; then
    run=${1:?usage: i686-check.sh RUN WINE_RUN PROBE_EXE | --machine} wine_run=${2:?} probe=${3:?}
    : "${WINEPREFIX:?no prefix named}" "${QUILLMERE_RUN_MODE:?no mode named}"
    case $run in
    i686-wow64 | i686-win32) ;;
    *) failed "no such i686 run: $run" ;;
    esac
fi
case ${QUILLMERE_AS_IF-} in
'') ;;
no-32bit) cannot "acting as if this machine ran no 32-bit Linux programs (QUILLMERE_AS_IF=no-32bit)" ;;
*) failed "QUILLMERE_AS_IF=$QUILLMERE_AS_IF: expected no-32bit" ;;
esac

why=$("$root/scripts/linux32.sh")
case $? in
0) ;;
77) cannot "$why" ;;
*) failed "$why" ;;
esac
[ "${1:-}" = --machine ] && exit 0

. "$root/scripts/wine-env.sh"
make_prefix || failed "the $run prefix could not be made in $WINEPREFIX"
warm_wine
out=$("$wine_run" "$probe" 2>&1 </dev/null) && rc=0 || rc=$?
[ $rc -eq 0 ] && grep -qx "quillmere-probe $QUILLMERE_RUN_MODE" <<<"${out//$'\r'/}" && exit 0
failed "the probe did not run as the $run run needs (exit $rc: $(tr -s '\r\n' '  ' <<<"$out" | cut -c1-400))"
