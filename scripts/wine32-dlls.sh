#!/usr/bin/env bash
# Fetches Wine's 32-bit PE DLLs (the i386 libwine package, at exactly the installed Wine version)
# into a folder that WINEDLLPATH can point at, so that 64-bit Wine runs i686 programs in its
# WoW64 mode. A private apt configuration does the download: the machine's apt state and
# architectures stay as they are. Kept once made. Usage: wine32-dlls.sh FOLDER
set -euo pipefail
dest=${1:?usage: wine32-dlls.sh FOLDER}
version=$(dpkg-query -W -f='${Version}' libwine:amd64)
[ -f "$dest/.version" ] && [ "$(cat "$dest/.version")" = "$version" ] && exit 0

work="$dest.download"
rm -rf "$dest" "$work"
mkdir -p "$work"/{etc/preferences.d,etc/apt.conf.d,state/lists/partial,cache/archives/partial}
cat >"$work/apt.conf" <<EOF
Dir::Etc "$work/etc";
Dir::Etc::sourcelist "/etc/apt/sources.list";
Dir::Etc::sourceparts "/etc/apt/sources.list.d";
Dir::Etc::trusted "/etc/apt/trusted.gpg";
Dir::Etc::trustedparts "/etc/apt/trusted.gpg.d";
Dir::State "$work/state";
Dir::State::status "$work/state/status";
Dir::Cache "$work/cache";
APT::Architectures { "amd64"; "i386"; };
APT::Sandbox::User "root";
EOF
: >"$work/state/status"
export APT_CONFIG="$work/apt.conf"
echo "Fetching Wine's 32-bit DLLs (libwine:i386 $version)..."
apt-get update -q >/dev/null
(cd "$work" && apt-get download -q "libwine:i386=$version" >/dev/null)

mkdir -p "$dest"
dpkg-deb --fsys-tarfile "$work"/libwine_*_i386.deb |
    tar -x -C "$work" ./usr/lib/i386-linux-gnu/wine/i386-windows
mv "$work/usr/lib/i386-linux-gnu/wine/i386-windows" "$dest/i386-windows"
# Debug sections are most of the 550 MB; Wine does not need them.
find "$dest/i386-windows" -type f \( -name '*.dll' -o -name '*.exe' -o -name '*.drv' \
    -o -name '*.sys' -o -name '*.ocx' -o -name '*.cpl' -o -name '*.acm' \) -print0 |
    xargs -0 -P "$(nproc)" -n 50 i686-w64-mingw32-strip --strip-debug 2>/dev/null || true
# Wine looks for a PE DLL's Unix side in the folder beside it.
ln -s /usr/lib/x86_64-linux-gnu/wine/x86_64-unix "$dest/x86_64-unix"
ln -s /usr/lib/x86_64-linux-gnu/wine/x86_64-windows "$dest/x86_64-windows"
rm -rf "$work"
echo "$version" >"$dest/.version"
