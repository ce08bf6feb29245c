#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and starts Mottler.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

if [ -x "$BUILD/bin/mottler" ]; then
  # Without a display (a bare server) the window opens on a virtual one.
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec xvfb-run -a "$BUILD/bin/mottler" "$@"
  fi
  exec "$BUILD/bin/mottler" "$@"
fi

# Until the application is built, render the example programs.
OUT="$BUILD/examples"
mkdir -p "$OUT"
for program in "$ROOT"/examples/*.mlr; do
  [ -e "$program" ] || continue
  name="$(basename "$program" .mlr)"
  "$BUILD/bin/mottler-render" "$program" -o "$OUT/$name.png"
done
echo "Rendered the example programs into $OUT"
