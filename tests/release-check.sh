#!/usr/bin/env bash
# The release, checked as an administrator would: two runs of the release command in two fresh
# folders give the same bytes, manifests included; each zip holds exactly the exe, README.txt,
# LICENSE.txt and THIRD-PARTY-NOTICES.txt; SHA256SUMS matches and covers BUILDINFO.txt; the
# winget and Scoop manifests name both zips by URL and SHA-256, and a release without --url has
# none. A folder it did not make, a bad password, a damaged or linked marker, or a folder changed
# during the build is refused before anything changes. A release signed with a throwaway
# certificate, with or without a password, verifies against it, still starts and shows its main
# window, and without its signature is the unsigned build byte for byte; the password never
# reaches a build process. A release made from a checkout with uncommitted changes is the
# commit's. The README's pictures are what the exe draws.
# Usage: release-check.sh WORK_FOLDER WINE_RUN TOUR_EXE
set -euo pipefail
work=${1:?usage: release-check.sh WORK_FOLDER WINE_RUN TOUR_EXE} wine_run=$2 tour=$3
root=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAILED: $*" >&2; exit 1; }
release() { "$root/scripts/release.sh" "$@"; }

base=https://example.invalid/q/
release --url "$base" --out "$work/a" >/dev/null
release --url "$base" --out "$work/b" >/dev/null
diff -r "$work/a" "$work/b" >/dev/null || fail "two builds of one commit differ"
echo "reproducible: $(cd "$work/a" && ls *.zip | paste -sd' ') and the manifests identical in two builds"

(cd "$work/a" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
grep -q ' BUILDINFO.txt$' "$work/a/SHA256SUMS" || fail "SHA256SUMS does not cover BUILDINFO.txt"
grep -qx "commit $(git -C "$root" rev-parse HEAD)" "$work/a/BUILDINFO.txt" &&
    grep -q '^g++-mingw-w64-i686-posix [0-9]' "$work/a/BUILDINFO.txt" || fail "BUILDINFO.txt"
python3 - "$work/a" "$root" <<'PY' || fail "zip contents"
import glob, re, sys, zipfile
out, root = sys.argv[1:]
licence = open(f"{root}/LICENSE", encoding="utf-8").read()
# The MIT licence, in the name of the holder that the About window names.
year, holder = re.search(r'CopyrightLine\[\] = L"Copyright \\u00a9 (\d+) (.+)"',
                         open(f"{root}/src/AppInfo.h", encoding="utf-8").read()).groups()
assert licence.startswith(f"MIT License\n\nCopyright (c) {year} {holder}\n"), "LICENSE"
for path in sorted(glob.glob(out + "/*.zip")):
    z = zipfile.ZipFile(path)
    names = z.namelist()
    assert names == ["Quillmere.exe", "README.txt", "LICENSE.txt", "THIRD-PARTY-NOTICES.txt"], (path, names)
    for name in names[1:]:
        text = z.read(name)
        assert b"\r\n" in text and b"\n" not in text.replace(b"\r\n", b""), f"{name} line ends"
    assert z.read("LICENSE.txt").decode().replace("\r\n", "\n") == licence, "LICENSE.txt"
PY
python3 - "$work/a" "$root" "$base" <<'PY' || fail "the manifests do not name the zips as they are"
import hashlib, json, os, re, sys
out, root, base = sys.argv[1:]
version = ".".join(re.findall(r"^#define QUILLMERE_(?:MAJOR|MINOR|REVISION) (\d+)",
                              open(f"{root}/resources/resource.h").read(), re.M))
site = re.search(r'WebSiteAddress\[\] = L"([^"]+)"', open(f"{root}/src/AppInfo.h").read()).group(1)
zips = {arch: f"Quillmere-{version}-{name}.zip" for arch, name in (("x86", "win32"), ("x64", "win64"))}
sha = {arch: hashlib.sha256(open(f"{out}/{name}", "rb").read()).hexdigest() for arch, name in zips.items()}
def manifest(name, kind):
    text = open(f"{out}/winget/Quillmere.Quillmere{name}.yaml", encoding="utf-8").read()
    fields = dict(re.findall(r"^(\w+): (.+)$", text, re.M))
    assert text.startswith(f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.1.10.0.schema.json\n"), name
    assert (fields["PackageIdentifier"], fields["PackageVersion"], fields["ManifestType"],
            fields["ManifestVersion"]) == ("Quillmere.Quillmere", version, kind, "1.10.0"), name
    return text, fields
assert sorted(os.listdir(f"{out}/winget")) == ["Quillmere.Quillmere.installer.yaml",
    "Quillmere.Quillmere.locale.en-US.yaml", "Quillmere.Quillmere.yaml"]
assert manifest("", "version")[1]["DefaultLocale"] == "en-US"
text, fields = manifest(".installer", "installer")
assert (fields["InstallerType"], fields["NestedInstallerType"], fields["MinimumOSVersion"]) == (
    "zip", "portable", "6.1.7601.0"), fields
assert "\nNestedInstallerFiles:\n- RelativeFilePath: Quillmere.exe\n  PortableCommandAlias: quillmere\n" in text
installers = re.findall(r"^- Architecture: (\S+)\n  InstallerUrl: (\S+)\n  InstallerSha256: (\S+)$", text, re.M)
assert installers == [(arch, base + zips[arch], sha[arch].upper()) for arch in ("x86", "x64")], installers
fields = manifest(".locale.en-US", "defaultLocale")[1]
assert (fields["PackageLocale"], fields["Publisher"], fields["PackageName"], fields["License"],
        fields["PackageUrl"]) == ("en-US", "Quillmere", "Quillmere", "MIT", site), fields
assert len(fields["ShortDescription"]) >= 3
assert os.listdir(f"{out}/scoop") == ["quillmere.json"]
scoop = json.load(open(f"{out}/scoop/quillmere.json", encoding="utf-8"))
assert scoop["architecture"] == {"64bit": {"url": base + zips["x64"], "hash": sha["x64"]},
                                 "32bit": {"url": base + zips["x86"], "hash": sha["x86"]}}, scoop
assert (scoop["version"], scoop["homepage"], scoop["license"], scoop["bin"], scoop["shortcuts"]) == (
    version, site, "MIT", "Quillmere.exe", [["Quillmere.exe", "Quillmere"]]), scoop
assert len(scoop["description"]) >= 3
PY
echo "manifests: winget (3 files) and Scoop name both zips by $base and their SHA-256"

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
mkdir "$work/badurl"
expect_refused "$work/badurl" "a URL the zip names cannot follow" --url https://example.invalid/q
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
    release --sign "$cert/cert.pfx" --out "$work/signed" >"$work/signed.log"
[ ! -e "$spy/leaked" ] || fail "the password reached a build process"
# Over a release with manifests, without --url: none, and one line on how to get them.
[ ! -e "$work/signed/winget" ] && [ ! -e "$work/signed/scoop" ] || fail "manifests without --url"
[ "$(grep -c -- '--url' "$work/signed.log")" = 1 ] || fail "no line on how to get the manifests"
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

mkdir "$work/shots"
QUILLMERE_TEST_OUTPUT="$work/shots" "$wine_run" "$tour" "$work/signed/win64/Quillmere.exe" \
    </dev/null >/dev/null || fail "the signed exe did not show its main window"
echo "signed: the x86_64 exe starts and shows its main window"

# The README's pictures, pixel for pixel what the exe draws at 96 DPI.
for name in main-window about-window; do
    differ=$(compare -metric AE "$work/shots/$name.bmp" "$root/docs/images/$name.png" null: 2>&1) ||
        fail "docs/images/$name.png is not what the exe draws ($differ): make it again with scripts/run.sh --pictures"
done
echo "pictures: docs/images/ holds what the exe draws"
