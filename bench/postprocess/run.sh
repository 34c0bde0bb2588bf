#!/usr/bin/env bash
# Post-processing of generated drawings of 1,000 and 10,000 INSERTs of 1,000-record blocks (one
# block, and 100 different blocks): the time per produced record should stay the same.
set -euo pipefail
"$BUILD/bench/postprocess/bench_postprocess" --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true
