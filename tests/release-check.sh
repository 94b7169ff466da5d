#!/usr/bin/env bash
# The release, checked as an administrator would: two runs of the release command in two fresh
# folders give the same bytes; each zip holds exactly the exe and README.txt; SHA256SUMS
# matches and covers BUILDINFO.txt. A folder it did not make, a bad password, a damaged or
# linked marker, or a folder changed during the build is refused before anything changes. A release signed with a throwaway certificate,
# with or without a password, verifies against it, still starts and shows its main window, and
# without its signature is the unsigned build byte for byte; the password never reaches a build
# process. A release made from a checkout with uncommitted changes is the commit's.
# Usage: release-check.sh WORK_FOLDER WINE_RUN TOUR_EXE
set -euo pipefail
work=${1:?usage: release-check.sh WORK_FOLDER WINE_RUN TOUR_EXE} wine_run=$2 tour=$3
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }
release() { "$root/scripts/release.sh" "$@"; }

release --out "$work/a" >/dev/null
release --out "$work/b" >/dev/null
diff -r "$work/a" "$work/b" >/dev/null || fail "two builds of one commit differ"
echo "reproducible: $(cd "$work/a" && ls *.zip | paste -sd' ') identical in two builds"

(cd "$work/a" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
grep -q ' BUILDINFO.txt$' "$work/a/SHA256SUMS" || fail "SHA256SUMS does not cover BUILDINFO.txt"
grep -qx "commit $(git -C "$root" rev-parse HEAD)" "$work/a/BUILDINFO.txt" &&
    grep -q '^g++-mingw-w64-i686-posix [0-9]' "$work/a/BUILDINFO.txt" || fail "BUILDINFO.txt"
python3 - "$work/a" <<'PY' || fail "zip contents"
import glob, sys, zipfile
for path in sorted(glob.glob(sys.argv[1] + "/*.zip")):
    names = zipfile.ZipFile(path).namelist()
    assert names == ["Quillmere.exe", "README.txt"], (path, names)
    readme = zipfile.ZipFile(path).read("README.txt")
    assert b"\r\n" in readme and b"\n" not in readme.replace(b"\r\n", b""), "README.txt line ends"
PY

# Refusals leave the folder exactly as it was: names, sizes, times.
snapshot() { (cd "$1" && find . -printf '%p %s %T@\n' | sort); }
expect_refused() {
    local folder=$1 why=$2
    shift 2
    local before
    before=$(snapshot "$folder")
    if release --out "$folder" "$@" >"$work/refused.log" 2>&1; then fail "not refused: $why"; fi
    grep -q "nothing was changed" "$work/refused.log" || fail "no reason given: $why"
    [ "$(snapshot "$folder")" = "$before" ] || fail "changed although refused: $why"
}
mkdir "$work/theirs" && echo keep >"$work/theirs/keep.txt" # what --out . or --out ~ would be
expect_refused "$work/theirs" "a folder of files it did not make"
cp -a "$work/a" "$work/extra" && echo notes >"$work/extra/notes.txt"
expect_refused "$work/extra" "an earlier release with a file added"
mkdir "$work/forged" && printf '../theirs/keep.txt\n' >"$work/forged/.quillmere-release"
expect_refused "$work/forged" "a marker naming a file outside"
# The marker counts only as a plain file: one that links outside is refused, and what it points
# at is left as it was.
cp -a "$work/a" "$work/linked" && mv "$work/linked/.quillmere-release" "$work/their-list"
ln -s "$work/their-list" "$work/linked/.quillmere-release"
cp "$work/their-list" "$work/their-list.before"
expect_refused "$work/linked" "a marker that is a link"
cmp -s "$work/their-list" "$work/their-list.before" || fail "wrote through a linked marker"
# Names compared whole: a name holding a newline and a listed name, or an extra empty folder.
cp -a "$work/a" "$work/newline" && : >"$work/newline/evil"$'\n'"SHA256SUMS"
expect_refused "$work/newline" "a file whose name ends in a listed name after a newline"
cp -a "$work/a" "$work/folder" && mkdir "$work/folder/docs"
expect_refused "$work/folder" "an extra empty folder"
echo "refused: folders it did not make, files it did not make, a forged or linked marker"

# The folder checked again before anything is replaced: win32/ swapped for a link to another
# folder during the build is refused, and nothing is written through it.
swap="$work/swap" theirs="$work/their-exes"
mkdir -p "$swap" "$theirs" && echo "their exe" >"$theirs/Quillmere.exe"
cp -a "$work/a" "$work/swapped"
cat >"$swap/cmake" <<EOF
#!/bin/sh
[ -L "$work/swapped/win32" ] || { rm -rf "$work/swapped/win32" && ln -s "$theirs" "$work/swapped/win32"; }
exec $(command -v cmake) "\$@"
EOF
chmod +x "$swap/cmake"
if PATH="$swap:$PATH" release --out "$work/swapped" >"$work/swapped.log" 2>&1; then
    fail "not refused: win32/ swapped for a link during the build"
fi
grep -q "nothing was changed" "$work/swapped.log" || fail "no reason given for the swapped folder"
[ "$(cat "$theirs/Quillmere.exe")" = "their exe" ] || fail "wrote through a swapped win32/"
cmp -s "$work/swapped/SHA256SUMS" "$work/a/SHA256SUMS" || fail "changed the swapped release"
echo "refused: win32/ swapped for a link during the build; nothing written through it"

# Signing. A fake cmake first on the PATH reports whether the password reached it.
cert="$work/cert" spy="$work/spy"
mkdir -p "$cert" "$spy"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Quillmere Test Signing" \
    -addext extendedKeyUsage=codeSigning -keyout "$cert/key.pem" -out "$cert/cert.pem" 2>/dev/null
password="test-$RANDOM$RANDOM"
printf '%s' "$password" >"$spy/secret"
cat >"$spy/cmake" <<EOF
#!/bin/sh
env | grep -qF -f "$spy/secret" && : >"$spy/leaked"
exec $(command -v cmake) "\$@"
EOF
chmod +x "$spy/cmake"
QUILLMERE_SIGN_PASSWORD=$password openssl pkcs12 -export -inkey "$cert/key.pem" \
    -in "$cert/cert.pem" -out "$cert/cert.pfx" -passout env:QUILLMERE_SIGN_PASSWORD
openssl pkcs12 -export -inkey "$cert/key.pem" -in "$cert/cert.pem" -out "$cert/open.pfx" -passout pass:

cp -a "$work/a" "$work/signed"
QUILLMERE_SIGN_PASSWORD=wrong expect_refused "$work/signed" "a wrong password" --sign "$cert/cert.pfx"
QUILLMERE_SIGN_PASSWORD=$password PATH="$spy:$PATH" \
    release --sign "$cert/cert.pfx" --out "$work/signed" >/dev/null
[ ! -e "$spy/leaked" ] || fail "the password reached a build process"
check_signed() {
    (cd "$1" && sha256sum --quiet -c SHA256SUMS) || fail "signed SHA256SUMS does not match"
    for name in win32 win64; do
        exe="$1/$name/Quillmere.exe"
        osslsigncode verify -CAfile "$cert/cert.pem" -in "$exe" >/dev/null || fail "$name signature"
        osslsigncode remove-signature -in "$exe" -out "$work/$name-unsigned.exe" >/dev/null
        cmp -s "$work/$name-unsigned.exe" "$work/a/$name/Quillmere.exe" ||
            fail "$name without its signature differs from the unsigned build"
        rm -f "$work/$name-unsigned.exe"
    done
}
check_signed "$work/signed"
echo "signed over an earlier release: both exes verify; unsigned, they equal the unsigned build"

# A clone with the version and the guide changed but not committed, signed with a certificate
# that has no password: the release is still the commit's.
git clone -q "$root" "$work/clone"
sed -i 's/^#define QUILLMERE_REVISION .*/#define QUILLMERE_REVISION 9/' "$work/clone/resources/resource.h"
echo "uncommitted line" >>"$work/clone/release/README.txt"
"$work/clone/scripts/release.sh" --sign "$cert/open.pfx" --out "$work/clone-out" \
    >/dev/null 2>"$work/clone.log" || { cat "$work/clone.log" >&2; fail "password-less signing"; }
grep -q "Uncommitted changes are left out" "$work/clone.log" || fail "uncommitted changes not named"
check_signed "$work/clone-out"
(cd "$work/clone-out" && ls *.zip) | cmp -s - <(cd "$work/a" && ls *.zip) || fail "zip names"
python3 - "$work/clone-out" <<'PY' || fail "the guide is not the commit's"
import glob, sys, zipfile
for path in glob.glob(sys.argv[1] + "/*.zip"):
    assert b"uncommitted line" not in zipfile.ZipFile(path).read("README.txt"), path
PY
echo "uncommitted changes left out, and named; a certificate without a password signs"

"$wine_run" "$tour" "$work/signed/win64/Quillmere.exe" </dev/null >/dev/null ||
    fail "the signed exe did not show its main window"
echo "signed: the x86_64 exe starts and shows its main window"
