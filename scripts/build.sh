#!/usr/bin/env bash
# Configures and builds one target: x86_64 (run and tested under Wine) or i686 (the release).
set -euo pipefail
arch=${1:?usage: build.sh x86_64|i686 [extra cmake args]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/$arch"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
