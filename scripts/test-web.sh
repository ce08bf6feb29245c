#!/usr/bin/env bash
# The web page's tests: builds the page with emscripten into build-web/site/,
# installs the pinned test packages (web/tests/package-lock.json) and runs
# the browser tests in headless Chromium against the native programs in
# build/ (mottler-render, mottler-edit-script).  Run by test.sh after the
# native tests; also on its own once build/ exists.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
WEB_BUILD="$ROOT/build-web"

# Debian's emscripten runs its tools with node and finds their modules here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
TOOLCHAIN="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake"
cmake -S "$ROOT" -B "$WEB_BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
  -DMOTTLER_BUILD_UI=OFF -DMOTTLER_BUILD_TESTS=OFF -DMOTTLER_BUILD_BENCH=OFF >/dev/null
cmake --build "$WEB_BUILD" -j"$(nproc)" --target mottler_site

# The packages exactly as locked; puppeteer-core fetches no browser.
(cd "$ROOT/web/tests" && npm ci --no-audit --no-fund --loglevel=error)

MOTTLER_SITE="$WEB_BUILD/site" \
  MOTTLER_RENDER="$BUILD/bin/mottler-render" \
  MOTTLER_EDIT_SCRIPT="$BUILD/bin/mottler-edit-script" \
  MOTTLER_EXAMPLES="$ROOT/examples" \
  MOTTLER_WEB_TIMINGS="$WEB_BUILD/slider-timings.json" \
  node --test "$ROOT/web/tests/"
