#!/usr/bin/env bash
# Configures and builds one target architecture: x86_64 (run and tested under Wine) or i686
# (the release), everything or only the named targets:
#   build.sh x86_64|i686 [TARGET...]
# The benchmark's programs are built only when named (bench_programs; scripts/bench.sh does).
set -euo pipefail
arch=${1:?usage: build.sh x86_64|i686 [TARGET...]}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/$arch"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
