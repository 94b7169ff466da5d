#!/usr/bin/env bash
# The release command: builds the i686 release and the x86_64 build from the current commit (as
# committed: uncommitted changes are not in a release) and writes to dist/:
#   Quillmere-<version>-win32.zip, Quillmere-<version>-win64.zip  (the exe and README.txt)
#   win32/Quillmere.exe, win64/Quillmere.exe                      (the same exes, to check)
#   SHA256SUMS                                                    (for all four)
# The bytes depend only on the commit: two runs anywhere give the same files.
#
#   scripts/release.sh [--sign CERT.pfx] [--out DIR]
#
# --sign signs both exes with Authenticode (SHA-256) before they are zipped and summed; the
# certificate's password comes from QUILLMERE_SIGN_PASSWORD, never from the command line, and
# QUILLMERE_TIMESTAMP_URL, when set, names a time-stamp server to counter-sign with.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cert= out="$root/dist"
while [ $# -gt 0 ]; do
    case $1 in
    --sign) cert=$(realpath "${2:?--sign needs a .pfx file}"); shift 2 ;;
    --out) out=$(realpath -m "${2:?--out needs a folder}"); shift 2 ;;
    *) echo "usage: release.sh [--sign CERT.pfx] [--out DIR]" >&2; exit 2 ;;
    esac
done
"$root/scripts/deps.sh" ${cert:+osslsigncode}

# The version lives in resources/resource.h, where the version stamp is made from.
version=$(awk '/#define QUILLMERE_(MAJOR|MINOR|REVISION) /{v = v (v ? "." : "") $3} END {print v}' \
    "$root/resources/resource.h")
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)

# A clean export of the commit, built in a folder of its own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/src"
git -C "$root" archive HEAD | tar -x -C "$work/src"
rm -rf "$out" && mkdir -p "$out"
for arch in i686 x86_64; do
    cmake -S "$work/src" -B "$work/$arch" -DCMAKE_TOOLCHAIN_FILE="$work/src/cmake/toolchain-$arch.cmake" \
        -DQUILLMERE_TESTS=OFF >/dev/null
    cmake --build "$work/$arch" --target Quillmere -j "$(nproc)" >/dev/null
done

if [ -n "$cert" ]; then
    [ -n "${QUILLMERE_SIGN_PASSWORD+set}" ] || { echo "QUILLMERE_SIGN_PASSWORD is not set" >&2; exit 2; }
    (umask 077 && printf '%s' "$QUILLMERE_SIGN_PASSWORD" >"$work/pass")
fi
for pair in i686:win32 x86_64:win64; do
    arch=${pair%%:*} name=${pair##*:}
    mkdir -p "$out/$name"
    if [ -n "$cert" ]; then
        osslsigncode sign -pkcs12 "$cert" -readpass "$work/pass" -h sha256 -n Quillmere \
            -i https://quillmere.example ${QUILLMERE_TIMESTAMP_URL:+-ts "$QUILLMERE_TIMESTAMP_URL"} \
            -in "$work/$arch/Quillmere.exe" -out "$out/$name/Quillmere.exe" >/dev/null
    else
        cp "$work/$arch/Quillmere.exe" "$out/$name/Quillmere.exe"
    fi
done
rm -f "$work/pass"

# Zips with a fixed entry order, the commit's time and fixed permissions; README.txt with
# Windows line endings.
python3 - "$out" "$version" "$root/release/README.txt" <<'PY'
import os, sys, time, zipfile
out, version, readme = sys.argv[1:]
stamp = time.gmtime(int(os.environ["SOURCE_DATE_EPOCH"]))[:6]
text = open(readme, encoding="utf-8").read().replace("@VERSION@", version)
text = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")
for name in ("win32", "win64"):
    path = os.path.join(out, f"Quillmere-{version}-{name}.zip")
    with zipfile.ZipFile(path, "w") as z:
        for entry, data in (("Quillmere.exe", open(os.path.join(out, name, "Quillmere.exe"), "rb").read()),
                            ("README.txt", text)):
            info = zipfile.ZipInfo(entry, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o100644 << 16
            z.writestr(info, data, compresslevel=9)
PY
(cd "$out" && sha256sum "Quillmere-$version-win32.zip" "Quillmere-$version-win64.zip" \
    win32/Quillmere.exe win64/Quillmere.exe >SHA256SUMS)
echo "Release $version${cert:+ (signed)} in $out:"
(cd "$out" && cat SHA256SUMS)
