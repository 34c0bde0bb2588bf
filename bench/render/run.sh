#!/usr/bin/env bash
# Redraws of a 1,000,000-record drawing at 1920 × 1080: fitted, zoomed and pan-drag (quick);
# 100,000 texts in 2,000 heights and in one, at 800 × 600 and 5000 × 5000.
set -euo pipefail
"$BUILD/bench/render/bench_render" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
