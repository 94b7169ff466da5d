#!/usr/bin/env bash
# Makes C:\quillmere-listing\10000 and \100000 in a prefix: that many empty files, one in
# twenty a ".scr". Wine itself takes minutes for this; the Linux side takes a second.
set -euo pipefail
prefix=${1:?usage: make-folders.sh WINEPREFIX}
python3 - "$prefix/drive_c/quillmere-listing" <<'PY'
import os, sys
base = sys.argv[1]
for n in (1000, 10000, 100000):
    d = os.path.join(base, str(n))
    if os.path.isdir(d) and len(os.listdir(d)) == n:
        continue
    os.makedirs(d, exist_ok=True)
    for i in range(n):
        open(os.path.join(d, "%d.%s" % (i, "dat" if i % 20 else "scr")), "w").close()
PY
