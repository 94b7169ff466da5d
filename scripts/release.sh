#!/usr/bin/env bash
# The release command: builds the i686 release and the x86_64 build from the current commit and
# writes to dist/ (or --out DIR):
#   Quillmere-<version>-win32.zip, Quillmere-<version>-win64.zip  (the exe, README.txt,
#                                        LICENSE.txt and THIRD-PARTY-NOTICES.txt)
#   win32/Quillmere.exe, win64/Quillmere.exe                      (the same exes, to check)
#   winget/Quillmere.Quillmere*.yaml, scoop/quillmere.json        (with --url: the manifests)
#   BUILDINFO.txt                                                 (commit, time, toolchain)
#   SHA256SUMS                                                    (for all of the above)
# Everything comes from the commit: the sources, the version and the guide. Uncommitted changes
# are left out. The bytes depend only on the commit, the URL and the toolchain in BUILDINFO.txt.
#
#   scripts/release.sh [--sign CERT.pfx] [--url BASE] [--out DIR]
#
# --url BASE is where the zips will be published: BASE followed by a zip's name must download
# it (so BASE ends in /). With it, the winget manifests (schema 1.10.0) and the Scoop manifest
# name both zips by that URL and their SHA-256; without it, none is written.
#
# --sign signs both exes with Authenticode (SHA-256) before they are zipped and summed; the
# certificate's password comes from QUILLMERE_SIGN_PASSWORD (unset or empty: a certificate
# without one) and reaches osslsigncode through a private file, never a command line;
# QUILLMERE_TIMESTAMP_URL, when set, names a time-stamp server to counter-sign with.
#
# The output folder must be new, empty, or an earlier release made by this command; anything
# else is refused and left as it is.
set -euo pipefail
# Out of the environment before anything else runs: no other process ever sees the password.
password=${QUILLMERE_SIGN_PASSWORD-}
unset QUILLMERE_SIGN_PASSWORD
root=$(cd "$(dirname "$0")/.." && pwd)
cert= url= out="$root/dist"
while [ $# -gt 0 ]; do
    case $1 in
    --sign) cert=$(realpath "${2:?--sign needs a .pfx file}"); shift 2 ;;
    --url) url=${2:?--url needs the address the zips will be published under}; shift 2 ;;
    --out) out=$(realpath -m "${2:?--out needs a folder}"); shift 2 ;;
    *) echo "usage: release.sh [--sign CERT.pfx] [--url BASE] [--out DIR]" >&2; exit 2 ;;
    esac
done
refuse() { echo "release.sh: $*; nothing was changed." >&2; exit 1; }
# It goes into YAML and JSON as it is: an address, with nothing either would read otherwise.
url_form='^https?://[A-Za-z0-9._~:/?&=%+@!$,;-]+/$'
[ -z "$url" ] || [[ $url =~ $url_form ]] || refuse "--url $url is not an http(s) address ending in /"
# Debian's own Python and zlib make the zips, whatever else is first on the PATH.
python=/usr/bin/python3

# --- Checks, before anything is built or removed ---------------------------------------------
"$root/scripts/deps.sh" release >/dev/null

# The output folder: new, empty, or holding only what an earlier release listed in its marker.
folder() { "$python" "$root/scripts/release-folder.py" "$@"; }
why=$(folder check "$out") || refuse "$why"

commit=$(git -C "$root" rev-parse HEAD)
[ -z "$(git -C "$root" status --porcelain)" ] ||
    echo "Uncommitted changes are left out: the release is built from commit ${commit:0:12}." >&2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$cert" ]; then
    [ -r "$cert" ] || refuse "cannot read the certificate $cert"
    (umask 077 && printf '%s' "$password" >"$work/pass")
    passin=(-passin "file:$work/pass") readpass=(-readpass "$work/pass")
    # A certificate without a password: osslsigncode fails on an empty password file.
    [ -s "$work/pass" ] || passin=(-passin pass:) readpass=()
    opens() { openssl pkcs12 -in "$cert" -noout "${passin[@]}" "$@" >/dev/null 2>&1; }
    opens || opens -legacy || refuse "cannot open $cert with the password given"
fi

# The toolchain whose versions decide the bytes, by Debian package.
toolchain=(gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
           g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
           mingw-w64-i686-dev mingw-w64-x86-64-dev mingw-w64-common cmake python3.11
           libpython3.11-stdlib zlib1g:amd64)
[ -z "$cert" ] || toolchain+=(osslsigncode)
versions=$(dpkg-query -W -f='${Package} ${Version}\n' "${toolchain[@]}") ||
    refuse "the toolchain is not complete"

# --- Build from a clean export of the commit ---------------------------------------------------
mkdir "$work/src"
git -C "$root" archive "$commit" | tar -x -C "$work/src"
version=$(awk '/#define QUILLMERE_(MAJOR|MINOR|REVISION) /{v = v (v ? "." : "") $3} END {print v}' \
    "$work/src/resources/resource.h")
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")
for arch in i686 x86_64; do
    cmake -S "$work/src" -B "$work/$arch" -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/toolchain-$arch.cmake" \
        -DQUILLMERE_TESTS=OFF >/dev/null
    cmake --build "$work/$arch" --target Quillmere -j "$(nproc)" >/dev/null
done

mkdir "$work/out"
for pair in i686:win32 x86_64:win64; do
    arch=${pair%%:*} name=${pair##*:}
    mkdir -p "$work/out/$name"
    if [ -n "$cert" ]; then
        osslsigncode sign -pkcs12 "$cert" "${readpass[@]}" -h sha256 -n Quillmere \
            -i https://quillmere.example ${QUILLMERE_TIMESTAMP_URL:+-ts "$QUILLMERE_TIMESTAMP_URL"} \
            -in "$work/$arch/Quillmere.exe" -out "$work/out/$name/Quillmere.exe" >/dev/null
    else
        cp "$work/$arch/Quillmere.exe" "$work/out/$name/Quillmere.exe"
    fi
done
rm -f "$work/pass"

{
    echo "Quillmere $version"
    echo "commit $commit"
    echo "SOURCE_DATE_EPOCH $SOURCE_DATE_EPOCH"
    echo "Debian $(cat /etc/debian_version)"
    echo "$versions"
} >"$work/out/BUILDINFO.txt"

# Zips with a fixed entry order, the commit's time and fixed permissions; the texts with
# Windows line endings.
"$python" - "$work/out" "$version" "$work/src" <<'PY'
import os, sys, time, zipfile
out, version, src = sys.argv[1:]
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
def text(path):
    body = open(os.path.join(src, path), encoding="utf-8").read().replace("@VERSION@", version)
    return body.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
texts = (("README.txt", text("release/README.txt")), ("LICENSE.txt", text("LICENSE")),
         ("THIRD-PARTY-NOTICES.txt", text("release/THIRD-PARTY-NOTICES.txt")))
for name in ("win32", "win64"):
    path = os.path.join(out, f"Quillmere-{version}-{name}.zip")
    with zipfile.ZipFile(path, "w") as z:
        exe = open(os.path.join(out, name, "Quillmere.exe"), "rb").read()
        for entry, data in (("Quillmere.exe", exe),) + texts:
            info = zipfile.ZipInfo(entry, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o100644 << 16
            z.writestr(info, data, compresslevel=9)
PY
made=("Quillmere-$version-win32.zip" "Quillmere-$version-win64.zip" win32/Quillmere.exe
      win64/Quillmere.exe BUILDINFO.txt)
if [ -n "$url" ]; then
    "$python" "$root/scripts/release-manifests.py" "$work/out" "$version" "$url" "$work/src"
    made+=(winget/Quillmere.Quillmere.yaml winget/Quillmere.Quillmere.installer.yaml
           winget/Quillmere.Quillmere.locale.en-US.yaml scoop/quillmere.json)
fi
(cd "$work/out" && sha256sum "${made[@]}" >SHA256SUMS)
made+=(SHA256SUMS)

# --- Replace the earlier release, file by file ----------------------------------------------
# Checked again first: the folder may have changed during the build.
why=$(printf '%s\n' "${made[@]}" | folder replace "$out" "$work/out") || {
    [ $? -eq 1 ] && refuse "$why"
    echo "release.sh: $why" >&2
    exit 1
}
echo "Release $version${cert:+ (signed)} in $out:"
(cd "$out" && cat SHA256SUMS)
[ -n "$url" ] ||
    echo "No winget or Scoop manifests: give --url BASE, where the zips will be published, to write them."
