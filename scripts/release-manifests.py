#!/usr/bin/python3
"""The package managers' manifests of a release, written by the release command beside its zips:

  release-manifests.py OUT VERSION BASE SOURCE

OUT holds the two zips; BASE followed by a zip's name is where it will be downloaded from;
SOURCE is the commit's export, whose texts the manifests take: the title and web site
(src/AppInfo.h), the summary (the version stamp's Comments) and the copyright line (LICENSE).
Writes OUT/winget/ (a winget submission's three files, schema 1.10.0) and OUT/scoop/quillmere.json.
The same zips and BASE give the same bytes.
"""
import hashlib
import json
import os
import re
import sys

SCHEMA = "1.10.0"
# Windows 7 SP1, the oldest system the exes start on.
MINIMUM_OS = "6.1.7601.0"


def found(pattern, path, source):
    with open(os.path.join(source, path), encoding="utf-8") as file:
        match = re.search(pattern, file.read(), re.MULTILINE)
    if not match:
        sys.exit(f"release-manifests.py: no {pattern!r} in {path}")
    return match.group(1)


def yaml(kind, fields):
    """A manifest of `kind`: flat fields, and lists of mappings, written as winget's tools do."""
    lines = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.{SCHEMA}.schema.json", ""]
    for key, value in fields:
        if isinstance(value, list):
            lines.append(f"{key}:")
            for item in value:
                for n, (inner, text) in enumerate(item):
                    lines.append(f"{'- ' if n == 0 else '  '}{inner}: {text}")
        else:
            lines.append(f"{key}: {value}")
    return "\n".join(lines) + "\n"


def main():
    out, version, base, source = sys.argv[1:]
    title = found(r'AppTitle\[\] = L"([^"]+)"', "src/AppInfo.h", source)
    site = found(r'WebSiteAddress\[\] = L"([^"]+)"', "src/AppInfo.h", source)
    summary = found(r'VALUE "Comments", "([^"]+)"', "resources/Quillmere.rc", source)
    copyright = found(r"^(Copyright .+)$", "LICENSE", source)
    zips = {}
    for arch, name in (("x86", "win32"), ("x64", "win64")):
        zip_name = f"{title}-{version}-{name}.zip"
        with open(os.path.join(out, zip_name), "rb") as file:
            zips[arch] = (base + zip_name, hashlib.sha256(file.read()).hexdigest())

    identifier = f"{title}.{title}"
    package = [("PackageIdentifier", identifier), ("PackageVersion", version)]
    winget = {
        f"{identifier}.yaml": yaml("version", package + [
            ("DefaultLocale", "en-US"), ("ManifestType", "version"), ("ManifestVersion", SCHEMA)]),
        f"{identifier}.installer.yaml": yaml("installer", package + [
            ("InstallerType", "zip"),
            ("NestedInstallerType", "portable"),
            ("NestedInstallerFiles", [[("RelativeFilePath", f"{title}.exe"),
                                       ("PortableCommandAlias", title.lower())]]),
            ("MinimumOSVersion", MINIMUM_OS),
            ("Installers", [[("Architecture", arch), ("InstallerUrl", url),
                             ("InstallerSha256", sha.upper())] for arch, (url, sha) in zips.items()]),
            ("ManifestType", "installer"), ("ManifestVersion", SCHEMA)]),
        f"{identifier}.locale.en-US.yaml": yaml("defaultLocale", package + [
            ("PackageLocale", "en-US"), ("Publisher", title), ("PackageName", title),
            ("PackageUrl", site), ("License", "MIT"), ("Copyright", copyright),
            ("ShortDescription", summary),
            ("ManifestType", "defaultLocale"), ("ManifestVersion", SCHEMA)]),
    }
    scoop = {
        "version": version,
        "description": summary,
        "homepage": site,
        "license": "MIT",
        "architecture": {
            "64bit": {"url": zips["x64"][0], "hash": zips["x64"][1]},
            "32bit": {"url": zips["x86"][0], "hash": zips["x86"][1]},
        },
        "bin": f"{title}.exe",
        "shortcuts": [[f"{title}.exe", title]],
    }
    for folder, files in (("winget", winget),
                          ("scoop", {f"{title.lower()}.json": json.dumps(scoop, indent=4) + "\n"})):
        os.makedirs(os.path.join(out, folder), exist_ok=True)
        for name, text in files.items():
            with open(os.path.join(out, folder, name), "w", encoding="utf-8", newline="\n") as file:
                file.write(text)


main()
