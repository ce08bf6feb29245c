#!/usr/bin/env bash
# Builds Mottler's Qt-free core for WebAssembly with Debian's emscripten,
# through the toolchain file cmake/wasm.cmake, into a folder of its own.
#   scripts/build-wasm.sh [--simd] FOLDER [-DOPTION=VALUE...] [TARGET...]
# --simd compiles for WebAssembly's 128-bit vectors (-msimd128).  The
# targets default to mottler-render (FOLDER/bin/mottler-render.js, run with
# node like the native renderer).  Options starting with -D go to cmake.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

simd=OFF
if [ "${1:-}" = --simd ]; then simd=ON; shift; fi
folder="${1:?usage: scripts/build-wasm.sh [--simd] FOLDER [-DOPTION=VALUE...] [TARGET...]}"
shift
options=() targets=()
for arg in "$@"; do
  case "$arg" in -D*) options+=("$arg") ;; *) targets+=("$arg") ;; esac
done
((${#targets[@]})) || targets=(mottler-render)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$ROOT" -B "$folder" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/wasm.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DMOTTLER_WASM_SIMD="$simd" "${options[@]}" >/dev/null
cmake --build "$folder" -j"$(nproc)" --target "${targets[@]}"
