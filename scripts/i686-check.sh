#!/usr/bin/env bash
# The one place that decides whether this machine can do an i686 run of the test command: it
# makes the run's prefix and starts the probe (a tiny i686 console program built with the tests)
# exactly as the run starts its tests, through the build's wine-run.sh with the run's prefix,
# loader and DLL path, and expects it to print the run's mode. Call it with the run's
# environment set, as scripts/test.sh does.
#   i686-check.sh RUN WINE_RUN PROBE_EXE
# Exit 0: the probe ran in the run's mode; the prefix is made and warm.
# Exit 77: this machine runs no 32-bit code of the kind the run needs; prints why on one line.
# No shell error exits with 77: every other code, a script error's 1 among them, is a failure.
# QUILLMERE_AS_IF walks the lesser paths on any machine: "no-32bit" acts as if this machine ran
# no 32-bit code at all, "wow64-only" as if it ran 32-bit code only in Wine's WoW64 mode.
set -uo pipefail
run=${1:?usage: i686-check.sh RUN WINE_RUN PROBE_EXE} wine_run=${2:?} probe=${3:?}
: "${WINEPREFIX:?no prefix named}" "${QUILLMERE_RUN_MODE:?no mode named}"
root=$(cd "$(dirname "$0")/.." && pwd)
as_if=${QUILLMERE_AS_IF-}
cannot() { echo "$*"; exit 77; }
failed() { echo "$*"; exit 2; }
case $as_if in
'' | no-32bit | wow64-only) ;;
*) failed "QUILLMERE_AS_IF=$as_if: expected no-32bit or wow64-only" ;;
esac

# Starts the probe; ok when it printed exactly the run's mode.
start() {
    out=$("$wine_run" "$probe" 2>&1 </dev/null)
    rc=$?
    [ $rc -eq 0 ] && grep -qx "quillmere-probe $QUILLMERE_RUN_MODE" <<<"${out//$'\r'/}"
}
what_happened() { printf 'exit %s: %s' "$rc" "$(tr -s '\r\n' '  ' <<<"$out" | cut -c1-400)"; }

case $run in
i686-wow64 | i686-win32)
    [ -z "$as_if" ] || cannot "acting as if this machine ran no 32-bit Linux programs (QUILLMERE_AS_IF=$as_if)"
    why=$("$root/scripts/linux32.sh")
    case $? in
    0) ;;
    77) cannot "$why" ;;
    *) failed "$why" ;;
    esac
    ;;
i686-core)
    [ "$as_if" != no-32bit ] || cannot "acting as if this machine ran no 32-bit code (QUILLMERE_AS_IF=$as_if)"
    "$root/scripts/wine32-dlls.sh" "$QUILLMERE_WINEDLLPATH" >&2 || failed "Wine's 32-bit DLLs could not be fetched"
    [ -f "$QUILLMERE_WINEDLLPATH/i386-windows/ntdll.dll" ] ||
        failed "no Wine 32-bit DLLs in $QUILLMERE_WINEDLLPATH/i386-windows"
    ;;
*) failed "no such i686 run: $run" ;;
esac

. "$root/scripts/wine-env.sh"
make_prefix || failed "the $run prefix could not be made in $WINEPREFIX"
warm_wine
start && exit 0
# Wine's answer when the new process died before its loader reported in, so none of the program
# ran: in WoW64 mode, this machine does not switch into 32-bit code. Once can be a passing fault
# of a process start; twice is the machine.
died() { [[ $out == *"ShellExecuteEx failed: Internal error"* && $out != *quillmere-probe* ]]; }
if [ "$run" = i686-core ] && died; then
    start && exit 0
    died && cannot "Wine's WoW64 mode dies before a 32-bit program runs ($(what_happened))"
fi
failed "the probe did not run as the $run run needs ($(what_happened))"
