#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the benchmarks;
# the Markdown table at the end is the one in docs/performance.md.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
taskset -c 0 "$BUILD/bin/mottler_bench" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true "$@"
