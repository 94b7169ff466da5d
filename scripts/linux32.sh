#!/usr/bin/env bash
# The one check whether this machine runs 32-bit Linux programs, which Wine's 32-bit side
# (wine32:i386) needs to run the i686 exe with its windows. It runs one: the 32-bit loader.
# Exit 0 if it ran. Otherwise prints the reason on one line and exits 1 when the kernel refused
# it ("Exec format error": this machine runs no 32-bit x86 Linux code), 2 for anything else.
loader=/lib/ld-linux.so.2
if [ ! -e "$loader" ]; then
    echo "no 32-bit loader ($loader; package libc6-i386)"
    exit 2
fi
out=$("$loader" --version 2>&1 >/dev/null </dev/null) && exit 0
case $out in
*"Exec format error"*) echo "the kernel does not run 32-bit programs ($out)"; exit 1 ;;
*) echo "the 32-bit loader failed (${out:-no message})"; exit 2 ;;
esac
