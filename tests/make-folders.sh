#!/usr/bin/env bash
# Makes C:\quillmere-listing\1000, \10000 and \100000 in a prefix, and a system root
# C:\quillmere-root whose system32 holds 100,000: that many empty files, one in twenty a
# ".scr". Wine itself takes minutes for this; the Linux side takes a second.
set -euo pipefail
# The run's prefix when the test command names one.
prefix=${QUILLMERE_WINEPREFIX:-${1:?usage: make-folders.sh WINEPREFIX}}
python3 - "$prefix/drive_c/quillmere-listing" <<'PY'
import os, sys
base = sys.argv[1]
for n, d in ((1000, os.path.join(base, "1000")), (10000, os.path.join(base, "10000")),
             (100000, os.path.join(base, "100000")),
             (100000, os.path.join(base, "..", "quillmere-root", "system32"))):
    if os.path.isdir(d) and len(os.listdir(d)) == n:
        continue
    os.makedirs(d, exist_ok=True)
    for i in range(n):
        open(os.path.join(d, "%d.%s" % (i, "dat" if i % 20 else "scr")), "w").close()
PY
