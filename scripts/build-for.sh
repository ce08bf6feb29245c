#!/usr/bin/env bash
# Builds Mottler's Qt-free core and command-line tools for another platform,
# through its toolchain file in cmake/, into a folder of its own:
#   scripts/build-for.sh PLATFORM FOLDER [-DOPTION=VALUE...] [TARGET...]
# PLATFORM is one of
#   wasm        WebAssembly with Debian's emscripten (cmake/wasm.cmake); the
#               tools run under node: node FOLDER/bin/mottler-render.js
#   wasm-simd   the same with WebAssembly's 128-bit vectors (-msimd128)
#   aarch64     64-bit ARM Linux with g++-aarch64-linux-gnu
#               (cmake/aarch64-linux-gnu.cmake); on an x86-64 machine the tools
#               run under qemu-user:
#               qemu-aarch64-static -L /usr/aarch64-linux-gnu FOLDER/bin/mottler-render
# The targets default to mottler-render.  Options starting with -D go to cmake.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
usage="usage: scripts/build-for.sh wasm|wasm-simd|aarch64 FOLDER [-DOPTION=VALUE...] [TARGET...]"

platform="${1:?$usage}"
folder="${2:?$usage}"
shift 2
case "$platform" in
  wasm) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/wasm.cmake" -DMOTTLER_WASM_SIMD=OFF) ;;
  wasm-simd) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/wasm.cmake" -DMOTTLER_WASM_SIMD=ON) ;;
  aarch64) options=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/aarch64-linux-gnu.cmake") ;;
  *) echo "$usage" >&2; exit 2 ;;
esac
targets=()
for arg in "$@"; do
  case "$arg" in -D*) options+=("$arg") ;; *) targets+=("$arg") ;; esac
done
((${#targets[@]})) || targets=(mottler-render)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S "$ROOT" -B "$folder" -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build "$folder" -j"$(nproc)" --target "${targets[@]}"
