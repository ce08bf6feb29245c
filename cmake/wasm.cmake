# Toolchain file for WebAssembly: Debian's emscripten, with what its tools
# need on Debian (scripts/build-for.sh wasm is the usual way in):
#   cmake -S . -B build-wasm -DCMAKE_TOOLCHAIN_FILE=cmake/wasm.cmake [-DMOTTLER_WASM_SIMD=ON]
# MOTTLER_WASM_SIMD=ON compiles for WebAssembly's 128-bit vectors
# (-msimd128); the pictures are the same either way.
set(MOTTLER_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "emscripten's installation")
include(${MOTTLER_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

option(MOTTLER_WASM_SIMD "Compile for WebAssembly SIMD (-msimd128)" OFF)
if(MOTTLER_WASM_SIMD)
  string(APPEND CMAKE_CXX_FLAGS_INIT " -msimd128")
endif()

# emscripten's linker runs node scripts whose modules Debian keeps in
# /usr/share/nodejs; its generated loader must not use node 20's fetch to
# read the .wasm file.  Both through the programs' launchers, so that a plain
# `cmake --build` works too.
set(MOTTLER_NODE_ENV env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${MOTTLER_NODE_ENV})
find_program(MOTTLER_NODE NAMES node nodejs)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MOTTLER_NODE};--no-experimental-fetch
  CACHE STRING "Runs a built program under node" FORCE)
