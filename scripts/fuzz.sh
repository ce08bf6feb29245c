#!/usr/bin/env bash
# Builds the fuzz targets with Clang into build-fuzz/ and runs each for the
# given time, starting from a corpus seeded with the example programs.
#
#   ./scripts/fuzz.sh [SECONDS] [TARGET...]
#
# SECONDS defaults to 60 per target; TARGET is program_file_fuzzer or
# program_text_fuzzer (both by default).  The growing corpus stays in
# build-fuzz/corpus/TARGET/; an input that crashes, leaks or hangs is saved
# in build-fuzz/findings/TARGET/ and the script ends with status 1.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build-fuzz"
SECONDS_EACH="${1:-60}"
shift || true
TARGETS=("$@")
((${#TARGETS[@]})) || TARGETS=(program_file_fuzzer program_text_fuzzer)

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: the fuzz targets need Clang (Debian: apt-get install clang libclang-rt-14-dev)" >&2
  exit 2
fi

CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DMOTTLER_BUILD_FUZZERS=ON \
  -DMOTTLER_BUILD_UI=OFF -DMOTTLER_BUILD_TESTS=OFF -DMOTTLER_BUILD_BENCH=OFF >/dev/null
cmake --build "$BUILD" -j"$(nproc)" --target "${TARGETS[@]}"

status=0
for target in "${TARGETS[@]}"; do
  corpus="$BUILD/corpus/$target"
  findings="$BUILD/findings/$target"
  mkdir -p "$corpus" "$findings"
  case "$target" in
    program_file_fuzzer) cp -n "$ROOT"/examples/*.mlr "$corpus"/ ;;
    program_text_fuzzer) cp -n "$ROOT"/examples/*.txt "$corpus"/ ;;
  esac
  echo "== $target for ${SECONDS_EACH}s"
  # An input slower than -timeout seconds counts as a finding (a hang).
  if ! "$BUILD/bin/$target" "$corpus" -max_total_time="$SECONDS_EACH" -timeout=10 \
      -rss_limit_mb=4096 -artifact_prefix="$findings/" -print_final_stats=1; then
    echo "fuzz.sh: $target found a problem; the input is in $findings/" >&2
    status=1
  fi
done
exit $status
