#!/usr/bin/env bash
# Installs the Debian packages that one command needs, when any is missing:
#   deps.sh release|run|test|bench [more packages]
# A release needs only the cross toolchain, CMake, Python (with zlib, for the zips), git and the
# signing tools. Running, testing and the benchmark add Wine, Xvfb and GoogleTest, and, where
# this machine runs 32-bit Linux programs, Wine's 32-bit side (wine32:i386), which runs the i686
# release with its windows; elsewhere that is said in one line and nothing extra is installed.
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
test) packages+=("${wine[@]}" "${signing[@]}") ;; # the release check signs
*) echo "usage: deps.sh release|run|test|bench [more packages]" >&2; exit 2 ;;
esac
packages+=("$@")
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_install() {
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$@"
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt_install "${missing[@]}"
fi
[ "$command" != release ] || exit 0

# The 32-bit loader comes with libc6-i386, so the check can only run once that is in.
if why=$("$root/scripts/linux32.sh"); then
    if ! installed wine32:i386; then
        echo "Installing: wine32:i386 (Wine's 32-bit side)"
        dpkg --print-foreign-architectures | grep -qx i386 ||
            "${sudo_cmd[@]}" dpkg --add-architecture i386
        apt_install "wine32:i386"
    fi
else
    echo "Not installing wine32:i386: $why."
fi
