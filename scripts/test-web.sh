#!/usr/bin/env bash
# The web page's tests: builds the page with emscripten into build-wasm/site/,
# installs the pinned test packages (web/tests/package-lock.json) and runs
# the browser tests in headless Chromium against the native programs in
# build/ (mottler-render, mottler-edit-script).  Run by test.sh after the
# native tests; also on its own once build/ exists.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD:-$ROOT/build}"
WEB_BUILD="$ROOT/build-wasm"

# The page with the core for WebAssembly (cmake/wasm.cmake).
"$ROOT/scripts/build-for.sh" wasm "$WEB_BUILD" mottler_site

# The packages exactly as locked; puppeteer-core fetches no browser.
(cd "$ROOT/web/tests" && npm ci --no-audit --no-fund --loglevel=error)

MOTTLER_SITE="$WEB_BUILD/site" \
  MOTTLER_RENDER="$BUILD/bin/mottler-render" \
  MOTTLER_EDIT_SCRIPT="$BUILD/bin/mottler-edit-script" \
  MOTTLER_EXAMPLES="$ROOT/examples" \
  MOTTLER_WEB_TIMINGS="$WEB_BUILD/slider-timings.json" \
  node --test "$ROOT/web/tests/"
