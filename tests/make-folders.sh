#!/usr/bin/env bash
# Makes C:\quillmere-listing\1000, \10000 and \100000 in a prefix, and a system root
# C:\quillmere-root whose system32 holds 100,000: that many empty files, one in twenty a
# ".scr"; and C:\quillmere-listing\cap, 32,800 files all ".scr", past the listing's cap. Wine itself takes minutes for this; the Linux side takes seconds. The folders are made
# once, in build/listing-folders, and each run's prefix links to them: the tests only read them.
set -euo pipefail
# The run's prefix when the test command names one.
prefix=${QUILLMERE_WINEPREFIX:-${1:?usage: make-folders.sh WINEPREFIX}}
folders=$(cd "$(dirname "$0")/.." && pwd)/build/listing-folders
python3 - "$folders" <<'PY'
import os, sys
base = sys.argv[1]
for n, d, every in ((1000, "quillmere-listing/1000", 20), (10000, "quillmere-listing/10000", 20),
                    (100000, "quillmere-listing/100000", 20), (100000, "quillmere-root/system32", 20),
                    (32800, "quillmere-listing/cap", 1)):
    d = os.path.join(base, d)
    if os.path.isdir(d) and len(os.listdir(d)) == n:
        continue
    os.makedirs(d, exist_ok=True)
    for i in range(n):
        open(os.path.join(d, "%d.%s" % (i, "dat" if i % every else "scr")), "w").close()
PY
for name in quillmere-listing quillmere-root; do
    ln -sfn "$folders/$name" "$prefix/drive_c/$name"
done
