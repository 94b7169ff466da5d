#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when any is missing. Where
# this machine runs 32-bit Linux programs it also installs Wine's 32-bit side (wine32:i386), which
# runs the i686 release with its windows; elsewhere it says so and installs nothing extra.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 googletest
          wine wine64 fonts-wine xvfb xauth imagemagick python3 x11-xserver-utils
          git openssl osslsigncode libc6-i386 "$@")
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
apt_install() {
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$@"
}

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
# The 32-bit loader comes with libc6-i386, so the check can only run once that is in.
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt_install "${missing[@]}"
fi

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
