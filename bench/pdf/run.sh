#!/usr/bin/env bash
# The PDF view on a generated 200-page document and an A0 drawing: time to the first shown page
# (median of 5 processes) in a 1280 x 800 view, and peak memory at 100, 400 and 800 % while
# the view is scrolled over the whole page (one process each).
set -euo pipefail
dir="$KBENCH/pdf"
mkdir -p "$dir"
bench="$BUILD/bench/pdf/bench_pdf_view"
export QT_QPA_PLATFORM=offscreen
[ -s "$dir/a0_drawing.pdf" ] || "$bench" gen "$dir"
ls -l "$dir"/*.pdf
for f in pages200 a0_drawing; do
  cat "$dir/$f.pdf" >/dev/null
  for _ in 1 2 3 4 5; do "$bench" first "$dir/$f.pdf" 1280x800; done | tee "$dir/$f.first" |
    awk -v f="$f" '{ s[NR] = $6; p[NR] = $9 } END {
      n = asort(s); asort(p);
      printf "%s: first shown page %.1f ms, sharp %.1f ms (medians of %d)\n", f, s[(n + 1) / 2], p[(n + 1) / 2], n }'
done
for f in a0_drawing pages200; do
  for zoom in 100 400 800; do
    echo -n "$f: " && "$bench" memory "$dir/$f.pdf" "$zoom"
  done
done
