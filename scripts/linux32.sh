#!/usr/bin/env bash
# The one check whether this machine runs 32-bit Linux programs, which Wine's 32-bit side
# (wine32:i386) needs to run the i686 exe with its windows. It runs one: the 32-bit loader.
# Exit 0 if it ran; otherwise prints the reason on one line and exits 1.
loader=/lib/ld-linux.so.2
if [ ! -e "$loader" ]; then
    echo "no 32-bit loader ($loader; package libc6-i386)"
    exit 1
fi
if ! out=$("$loader" --version 2>&1 >/dev/null </dev/null); then
    echo "the kernel does not run 32-bit programs (${out:-$loader failed})"
    exit 1
fi
