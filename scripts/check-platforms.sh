#!/usr/bin/env bash
# The same bits on every platform: renders every example program (with its
# own seed and three others) and a set of random programs with the native
# mottler-render and with the renderer built for each platform below, and
# fails when any picture differs by a single byte, naming the program, its
# commands, the platform and the first differing pixel.  Part of scripts/test.sh; on its own:
#   scripts/check-platforms.sh [COUNT]    COUNT random programs (default 320)
# The native build is build/ (or $BUILD); the programs and pictures are kept
# in build/platforms/ to look at afterwards.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
COUNT="${1:-320}"
WORK="$BUILD/platforms"
cd "$ROOT"

# One line a platform: its name | how to build its renderer | how to run it
# (paths from the source folder).  A new platform is one more line.
PLATFORMS=(
  "wasm|scripts/build-for.sh wasm build-wasm|node build-wasm/bin/mottler-render.js"
  "wasm-simd|scripts/build-for.sh wasm-simd build-wasm-simd|node build-wasm-simd/bin/mottler-render.js"
  "aarch64|scripts/build-for.sh aarch64 build-aarch64|qemu-aarch64-static -L /usr/aarch64-linux-gnu build-aarch64/bin/mottler-render"
)

cmake --build "$BUILD" -j"$(nproc)" --target mottler-render platform_compare >/dev/null
for platform in "${PLATFORMS[@]}"; do
  IFS='|' read -r name build _ <<<"$platform"
  echo "Building the renderer for $name"
  $build >/dev/null
done

# The programs: the examples under their own names and each with three
# other seeds, then the random ones.
rm -rf "$WORK"
mkdir -p "$WORK/programs"
cp examples/*.mlr "$WORK/programs/"
"$BUILD/bin/platform_compare" reseed "$WORK/programs" 3 examples/*.mlr
"$BUILD/bin/platform_compare" generate "$WORK/programs" "$COUNT"

# Renders every program with one renderer into a folder of bitmaps, as many
# at a time as there are processors; a failed render leaves no picture (the
# comparison reports it) and its messages in the folder's errors.log.
render_all() {
  local out="$1"
  shift
  mkdir -p "$out"
  printf '%s\0' "$WORK"/programs/*.mlr |
    RENDERER="$*" OUT="$out" xargs -0 -n 1 -P "$(nproc)" bash -c \
      'p="$1"; n="${p##*/}"; $RENDERER "$p" -o "$OUT/${n%.mlr}.bmp" 2>>"$OUT/errors.log" || true' _
}

programs=$(find "$WORK/programs" -name '*.mlr' | wc -l)
render_all "$WORK/native" "$BUILD/bin/mottler-render"
failed=0
for platform in "${PLATFORMS[@]}"; do
  IFS='|' read -r name _ run <<<"$platform"
  start=$SECONDS
  render_all "$WORK/$name" $run
  if "$BUILD/bin/platform_compare" compare "$WORK/programs" "$WORK/native" "$WORK/$name" "$name"; then
    echo "$name: all $programs pictures the same as native ($((SECONDS - start)) s)"
  else
    failed=1
    [ -s "$WORK/$name/errors.log" ] && sed 's/^/  /' "$WORK/$name/errors.log"
    echo "$name: pictures differ from native (programs and pictures in $WORK)"
  fi
done
exit $failed
