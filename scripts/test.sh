#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs every test: first
# in build/, then the pictures of the renderers built for WebAssembly and
# aarch64 against the native ones, lintian on the Debian package built from
# build/ and the web page in headless Chromium, then the tests once more in
# build-asan/, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# where any memory error, leak or undefined operation fails the run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
export QT_QPA_PLATFORM=offscreen

cd "$BUILD"
ctest --output-on-failure -j"$(nproc)"

# The renderers built for WebAssembly and aarch64 must make the same pictures.
echo "The same pictures on every platform (WebAssembly, aarch64)"
"$ROOT/scripts/check-platforms.sh"

# The Debian package, checked by Debian's own checker: any error or warning
# fails the run.
echo "Package check (lintian)"
rm -f "$BUILD"/mottler_*.deb
(cd "$BUILD" && cpack -G DEB >/dev/null)
lintian --fail-on error,warning "$BUILD"/mottler_*.deb

echo "Web page in headless Chromium (build-wasm/site/)"
"$ROOT/scripts/test-web.sh"

echo "Sanitizer pass (build-asan/)"
SANITIZED="$ROOT/build-asan"
cmake -S "$ROOT" -B "$SANITIZED" -DCMAKE_BUILD_TYPE=Release -DMOTTLER_SANITIZE=ON \
  -DMOTTLER_BUILD_BENCH=OFF >/dev/null
cmake --build "$SANITIZED" -j"$(nproc)"
cd "$SANITIZED"
ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$(nproc)"
