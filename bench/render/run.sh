#!/usr/bin/env bash
# Redraws of a 1,000,000-record drawing at 1920 × 1080: fitted, zoomed and pan-drag (quick);
# 100,000 texts in 2,000 heights and in one, at 800 × 600 and 5000 × 5000.
set -euo pipefail
"$BUILD/bench/render/bench_render" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true

# The interactive view through the drawing tab's widget at 1920 x 1080 on the generated 200 MB
# drawing (KBENCH_VIEW_DXF for another): wheel notch, pan step, gestures, overlays.
view_dxf=${KBENCH_VIEW_DXF:-$KBENCH/dxf/r2018_200mb.dxf}
if [ ! -s "$view_dxf" ]; then
  mkdir -p "$(dirname "$view_dxf")"
  /usr/bin/python3 ../shared/bench/gen_dxf.py --size-mb 200 --version R2018 -o "$view_dxf.tmp" >/dev/null
  mv "$view_dxf.tmp" "$view_dxf"
fi
KBENCH_VIEW_DXF="$view_dxf" "$BUILD/bench/render/bench_view" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
