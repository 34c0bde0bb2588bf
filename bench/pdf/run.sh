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
median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
for f in pages200 a0_drawing; do
  cat "$dir/$f.pdf" >/dev/null
  for _ in 1 2 3 4 5; do "$bench" first "$dir/$f.pdf" 1280x800 2>/dev/null; done >"$dir/$f.first"
  # Fields: pages N loaded T ms shown T ms sharp T ms next-page T ms cpu T ms
  echo "$f: first shown page $(awk '{ print $7 }' "$dir/$f.first" | median) ms" \
    "(CPU $(awk '{ print $16 }' "$dir/$f.first" | median) ms)," \
    "sharp $(awk '{ print $10 }' "$dir/$f.first" | median) ms," \
    "next page shown $(awk '{ print $13 }' "$dir/$f.first" | median) ms (medians of 5 processes)"
done
for f in a0_drawing pages200; do
  for zoom in 100 400 800; do
    echo -n "$f: " && "$bench" memory "$dir/$f.pdf" "$zoom" 2>/dev/null
  done
done
