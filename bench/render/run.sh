#!/usr/bin/env bash
# Redraws of a 1,000,000-record drawing at 1920 × 1080: fitted, zoomed and pan-drag (quick).
set -euo pipefail
"$BUILD/bench/render/bench_render" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
