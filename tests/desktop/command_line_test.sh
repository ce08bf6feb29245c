#!/usr/bin/env bash
# The application's command line answers without a display:
#   command_line_test.sh MOTTLER VERSION
set -uo pipefail
mottler="$1" version="$2"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$mottler" "$@"; }

out="$(run --version 2>&1)"; rc=$?
[ "$rc" -eq 0 ] && [ "$out" = "mottler $version" ] || fail "--version: rc $rc, '$out'"

out="$(run --help 2>&1)"; rc=$?
[ "$rc" -eq 0 ] || fail "--help: rc $rc"
grep -q "PROGRAM.mlr" <<<"$out" || fail "--help does not name PROGRAM.mlr: $out"
grep -q -- "--version" <<<"$out" || fail "--help does not list --version"
# The window system's own options are accepted but not advertised.
grep -q -- "-platform" <<<"$out" && fail "--help lists the window system's options"
[ "$(run -h 2>&1)" = "$out" ] || fail "-h differs from --help"

out="$(run --no-such-option 2>&1)"; rc=$?
[ "$rc" -eq 2 ] || fail "unknown option: rc $rc"
grep -q "^mottler: .*no-such-option" <<<"$out" || fail "unknown option message: $out"

out="$(run one.mlr two.mlr 2>&1)"; rc=$?
[ "$rc" -eq 2 ] && grep -q "^mottler: more than one program file" <<<"$out" ||
  fail "two programs: rc $rc, '$out'"

out="$(run -platform offscreen --version 2>&1)"; rc=$?
[ "$rc" -eq 0 ] && [ "$out" = "mottler $version" ] || fail "-platform with --version: '$out'"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "command line answers without a display"
