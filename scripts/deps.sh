#!/usr/bin/env bash
# Installs the Debian packages that one command needs, when any is missing:
#   deps.sh release|run|test|bench [more packages]
# A release needs only the cross toolchain, CMake, Python (with zlib, for the zips), git and the
# signing tools. Running, testing and the benchmark add Wine, Xvfb and GoogleTest, and, where
# this machine runs 32-bit Linux programs, Wine's 32-bit side (wine32:i386), which runs the i686
# release with its windows; elsewhere that is said in one line and nothing extra is installed.
#
# A package index that fails to update (a mirror caught mid-sync) does not stop the command by
# itself: apt keeps the lists it has, and the install decides. The failed update is said on
# every run, and named again if the install fails too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
command=${1:?usage: deps.sh release|run|test|bench [more packages]}
shift
packages=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 python3 git)
signing=(openssl osslsigncode)
wine=(googletest wine wine64 fonts-wine xvfb xauth imagemagick x11-xserver-utils libc6-i386)
case $command in
release) packages+=("${signing[@]}") ;;
run | bench) packages+=("${wine[@]}") ;;
# The release check signs; the tests make a Japanese locale from glibc's sources (locales).
test) packages+=("${wine[@]}" "${signing[@]}" locales) ;;
*) echo "usage: deps.sh release|run|test|bench [more packages]" >&2; exit 2 ;;
esac
packages+=("$@")
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# Updates the package lists, once more if that fails. A failure is said with apt's own "Failed
# to fetch" lines, which stay in update_failed for the install to report.
update_failed=
apt_update() {
    local out rc attempt
    for attempt in 1 2; do
        out=$("${sudo_cmd[@]}" apt-get update -q 2>&1) && rc=0 || rc=$?
        [ $rc -ne 0 ] || { update_failed= && return 0; }
        update_failed=$(grep -E '^[EW]: Failed to fetch' <<<"$out" || echo "apt-get update: exit $rc")
        [ $attempt -eq 2 ] || echo "apt-get update failed (exit $rc); trying once more"
    done
    echo "NOTE: apt-get update failed (exit $rc); going on with the package lists apt has:"
    echo "$update_failed"
}

apt_get_install() {
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
        "$@"
}

apt_install() {
    apt_update
    apt_get_install "$@" && return 0
    # A suite whose update failed keeps its older lists, and only for the architectures it had
    # before: its amd64 packages can then be newer than any i386 build apt sees, which a
    # library installed for both architectures cannot be. Once more, without those suites.
    local suites pins
    suites=$(sed -n 's|.*Failed to fetch [^ ]*/dists/\([^/ ]*\)/.*|\1|p' <<<"$update_failed" | sort -u)
    if [ -n "$suites" ]; then
        echo "Trying once more without the packages of ${suites//$'\n'/ }, whose update failed"
        pins=$(mktemp)
        for s in $suites; do printf 'Package: *\nPin: release n=%s\nPin-Priority: -1\n\n' "$s"; done >"$pins"
        apt_get_install -o Dir::Etc::Preferences="$pins" "$@" && rm -f "$pins" && return 0
        rm -f "$pins"
    fi
    echo "FAILED: could not install: $*"
    [ -z "$update_failed" ] ||
        printf 'The package lists could not all be updated (a mirror mid-sync?):\n%s\n' "$update_failed"
    exit 1
}

# Wine's 32-bit side goes in with everything else, in one update and one install: installed
# later, it would need i386 builds of the very versions the first install took, which a broken
# index can withhold. The 32-bit loader comes with libc6-i386, so the check needs that first.
missing=()
if [ "$command" != release ]; then
    if ! installed libc6-i386; then
        echo "Installing: libc6-i386 (the 32-bit loader, to tell whether this machine runs it)"
        apt_install libc6-i386
    fi
    if why=$("$root/scripts/linux32.sh"); then
        if ! installed wine32:i386; then
            missing+=("wine32:i386")
            dpkg --print-foreign-architectures | grep -qx i386 ||
                "${sudo_cmd[@]}" dpkg --add-architecture i386
        fi
    else
        echo "Not installing wine32:i386: $why."
    fi
fi
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt_install "${missing[@]}"
fi
