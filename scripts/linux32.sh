#!/usr/bin/env bash
# The one check whether this machine runs 32-bit Linux programs, which Wine's 32-bit side
# (wine32:i386) needs to run the i686 exe with its windows. It runs one: the 32-bit loader.
# Exit 0 if it ran. Exit 77 (the code no shell error gives) when the kernel refused the genuine
# i386 loader that Debian installed: this machine runs no 32-bit x86 Linux code. Exit 2 for
# anything else, a missing, damaged or foreign loader among it, which the kernel refuses with
# the same "Exec format error". Prints the reason on one line.
# For the decision's own tests, QUILLMERE_LOADER names another loader file, and QUILLMERE_KERNEL
# a program that starts it in the kernel's place.
set -uo pipefail
loader=${QUILLMERE_LOADER:-/lib/ld-linux.so.2}
fail() { echo "$*"; exit 2; }
[ -e "$loader" ] || fail "no 32-bit loader ($loader; package libc6-i386)"
out=$(${QUILLMERE_KERNEL:+"$QUILLMERE_KERNEL"} "$loader" --version 2>&1 >/dev/null </dev/null) && exit 0
out=$(tr -s '\r\n' '  ' <<<"$out" | cut -c1-300) && out=${out% }
[[ $out == *"Exec format error"* ]] || fail "the 32-bit loader failed (${out:-no message})"

# Refused by the kernel. That says something of this machine only if the file is an i386 ELF
# program (class 32-bit, little-endian, machine 3) whose bytes are those of a loader that
# Debian's packages installed here.
header=$(od -An -tx1 -N20 "$loader" 2>/dev/null | tr -d ' \n')
[[ $header == 7f454c460101* && ${header:36:4} == 0300 ]] ||
    fail "the kernel refused $loader, which is no i386 program (damaged or foreign: ${header:0:40})"
sum=$(md5sum <"$loader" | cut -d' ' -f1)
grep -hs '/ld-linux\.so\.2$' /var/lib/dpkg/info/*.md5sums | grep -q "^$sum " ||
    fail "the kernel refused $loader, which is not the loader a package installed (damaged?)"
echo "the kernel does not run 32-bit programs: it refused the loader $loader with \"Exec format error\""
exit 77
