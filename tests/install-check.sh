#!/usr/bin/env bash
# scripts/deps.sh against a stand-in apt-get whose update fails on one index, as a mirror caught
# mid-sync makes it: the install still goes on, and where it fails too, the command fails and
# names the index. Usage: install-check.sh WORK_FOLDER
set -uo pipefail
work=${1:?usage: install-check.sh WORK_FOLDER}
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work/bin" && cd "$work" || exit 1
index='http://mirror.invalid/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz'

# apt-get: each call is logged; update fails as apt does for a bad index, install as $INSTALL
# says (the pinned retry included). sudo runs its command, for a run that is not root's.
cat >bin/apt-get <<STANDIN
#!/bin/sh
echo "\$*" >>"$work/calls"
case " \$* " in
*" update "*)
    echo "E: Failed to fetch $index  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
*" install "*)
    [ "\$INSTALL" = works ] && exit 0
    echo "E: Unable to locate package \${*##* }" >&2
    exit 100 ;;
esac
exit 1
STANDIN
printf '#!/bin/sh\nexec "$@"\n' >bin/sudo
chmod +x bin/apt-get bin/sudo

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
# deps.sh release with a package that is surely missing, and the log of apt calls.
deps() {
    rm -f calls
    out=$(PATH="$work/bin:$PATH" INSTALL=$1 "$root/scripts/deps.sh" release quillmere-missing 2>&1)
    rc=$?
    echo "--- install $1: exit $rc"$'\n'"$out"
}

deps works
[ $rc -eq 0 ] || fail "the install went on after the update failed, yet deps.sh exited $rc"
[ "$(grep -c '^update' calls)" = 2 ] || fail "the failed update was not tried exactly twice"
grep -q 'install .*quillmere-missing$' calls || fail "no install was asked for"
grep -qF "Failed to fetch $index" <<<"$out" || fail "the failed update was not said"

deps fails
[ $rc -ne 0 ] || fail "deps.sh exited 0 with the package not installed"
grep -qF "Failed to fetch $index" <<<"${out#*FAILED: could not install}" ||
    fail "after the failed install, the index that failed to update was not named"
grep -q '^install .*Preferences=' calls || fail "no retry without the suite whose update failed"
[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
