#!/usr/bin/env bash
# Writes examples/NAME.mlr from each examples/NAME.txt with the project's own
# program writer, and renders each into build/examples/NAME.png.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BIN="${BIN:-$ROOT/build/bin}"
mkdir -p "$ROOT/build/examples"
for source in "$ROOT"/examples/*.txt; do
  name="$(basename "$source" .txt)"
  "$BIN/mottler-compose" "$source" "$ROOT/examples/$name.mlr"
  "$BIN/mottler-render" "$ROOT/examples/$name.mlr" -o "$ROOT/build/examples/$name.png"
done
echo "Examples written; pictures in $ROOT/build/examples"
