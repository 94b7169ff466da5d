#!/usr/bin/env bash
# The release, checked as an administrator would: two runs of the release command in two fresh
# folders give the same bytes; each zip holds exactly the exe and README.txt; SHA256SUMS
# matches; a release signed with a throwaway certificate verifies against it, still starts
# and shows its main window, and without its signature is the unsigned build byte for byte.
# Usage: release-check.sh WORK_FOLDER WINE_RUN TOUR_EXE
set -euo pipefail
work=${1:?usage: release-check.sh WORK_FOLDER WINE_RUN TOUR_EXE} wine_run=$2 tour=$3
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }

"$root/scripts/release.sh" --out "$work/a" >/dev/null
"$root/scripts/release.sh" --out "$work/b" >/dev/null
diff -r "$work/a" "$work/b" >/dev/null || fail "two builds of one commit differ"
echo "reproducible: $(cd "$work/a" && ls *.zip | paste -sd' ') identical in two builds"

(cd "$work/a" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
python3 - "$work/a" <<'PY' || fail "zip contents"
import glob, sys, zipfile
for path in sorted(glob.glob(sys.argv[1] + "/*.zip")):
    names = zipfile.ZipFile(path).namelist()
    assert names == ["Quillmere.exe", "README.txt"], (path, names)
    readme = zipfile.ZipFile(path).read("README.txt")
    assert b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""), "README.txt line ends"
PY

# A throwaway code-signing certificate, its password passed only through the environment.
cert="$work/cert"
mkdir -p "$cert"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillmere Test Signing" \
    -addext extendedKeyUsage=codeSigning -keyout "$cert/key.pem" -out "$cert/cert.pem" 2>/dev/null
export QUILLMERE_SIGN_PASSWORD="test-$RANDOM$RANDOM"
openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/cert.pfx" \
    -passout env:QUILLMERE_SIGN_PASSWORD
"$root/scripts/release.sh" --sign "$cert/cert.pfx" --out "$work/signed" >/dev/null
(cd "$work/signed" && sha256sum --quiet -c SHA256SUMS) || fail "signed SHA256SUMS does not match"
for name in win32 win64; do
    exe="$work/signed/$name/Quillmere.exe"
    osslsigncode verify -CAfile "$cert/cert.pem" -in "$exe" >/dev/null || fail "$name signature"
    osslsigncode remove-signature -in "$exe" -out "$work/$name-unsigned.exe" >/dev/null
    cmp -s "$work/$name-unsigned.exe" "$work/a/$name/Quillmere.exe" ||
        fail "$name without its signature differs from the unsigned build"
done
echo "signed: both exes verify; without their signatures they equal the unsigned build"
"$wine_run" "$tour" "$work/signed/win64/Quillmere.exe" </dev/null >/dev/null ||
    fail "the signed exe did not show its main window"
echo "signed: the x86_64 exe starts and shows its main window"
