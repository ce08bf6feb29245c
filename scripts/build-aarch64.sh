#!/usr/bin/env bash
# Cross-builds Mottler's core and command-line tools for 64-bit ARM Linux
# with Debian's g++-aarch64-linux-gnu, through the toolchain file
# cmake/aarch64-linux-gnu.cmake, into a folder of its own.
#   scripts/build-aarch64.sh FOLDER [-DOPTION=VALUE...] [TARGET...]
# The targets default to mottler-render; on an x86-64 machine it runs under
# qemu-user: qemu-aarch64-static -L /usr/aarch64-linux-gnu FOLDER/bin/mottler-render
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

folder="${1:?usage: scripts/build-aarch64.sh FOLDER [-DOPTION=VALUE...] [TARGET...]}"
shift
options=() targets=()
for arg in "$@"; do
  case "$arg" in -D*) options+=("$arg") ;; *) targets+=("$arg") ;; esac
done
((${#targets[@]})) || targets=(mottler-render)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$ROOT" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/aarch64-linux-gnu.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$folder" -j"$(nproc)" --target "${targets[@]}"
