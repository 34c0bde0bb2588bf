#!/usr/bin/env bash
# The whole DXF preview (check, read, post-processing, fit, draw, PNG) with `kestrel-tool render`
# at 1920 × 1080 against LibreCAD's `dxf2pdf` on the same generated drawings, in one run.
# Sizes: KBENCH_RENDER_SIZES (default "10 50 200"); runs: KBENCH_RENDER_RUNS for Kestrel
# (default 5), KBENCH_LIBRECAD_RUNS for LibreCAD (default 3). Medians of wall-clock seconds.
# Then Kestrel alone on two small files of many copies of one long text (gen_shared_text.py,
# 20,000 and 60,000 INSERTs: 1.2 and 3.2 MB), with the peak memory of one render and one render
# under a 2 GB address-space limit.
set -euo pipefail
dir="$KBENCH/dxf"
out="$KBENCH/render"
mkdir -p "$dir" "$out"
tool="$BUILD/src/tool/kestrel-tool"
runs=${KBENCH_RENDER_RUNS:-5}
lcruns=${KBENCH_LIBRECAD_RUNS:-3}
export QT_QPA_PLATFORM=offscreen

# Median wall time in seconds of running "$@" $1 times.
median() {
  local n=$1
  shift
  for _ in $(seq "$n"); do
    /usr/bin/time -f "%e" "$@" >/dev/null 2>>"$out/time.log" || true
    tail -1 "$out/time.log"
  done | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

for size in ${KBENCH_RENDER_SIZES:-10 50 200}; do
  file="$dir/r2018_${size}mb.dxf"
  if [ ! -s "$file" ]; then
    echo "== generating $file (ezdxf, takes minutes)"
    /usr/bin/python3 ../shared/bench/gen_dxf.py --size-mb "$size" --version R2018 \
      -o "$file.tmp" >/dev/null
    mv "$file.tmp" "$file"
  fi
  cat "$file" >/dev/null  # hot cache for both
  k=$(median "$runs" "$tool" render "$file" "$out/kestrel_${size}mb.png" --size 1920x1080)
  l=$(median "$lcruns" librecad dxf2pdf -a -t "$out" "$file")
  awk -v f="$(basename "$file")" -v k="$k" -v l="$l" -v r="$runs" -v lr="$lcruns" 'BEGIN {
    printf "%s: kestrel-tool render %.2f s (median of %d), librecad dxf2pdf %.2f s (median of %d), %.1f x\n",
      f, k, r, l, lr, l / k }'
done

for inserts in 20000 60000; do
  file="$dir/shared_text_${inserts}.dxf"
  [ -s "$file" ] || bench/render/gen_shared_text.py "$inserts" "$file"
  k=$(median "$runs" "$tool" render "$file" "$out/kestrel_shared_${inserts}.png" --size 1920x1080)
  peak=$(/usr/bin/time -v "$tool" render "$file" "$out/kestrel_shared_${inserts}.png" \
    --size 1920x1080 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p')
  limited=$(bash -c 'ulimit -v 2000000; /usr/bin/time -f "%e s, exit %x" "$@" 2>&1 >/dev/null | tail -1' \
    _ "$tool" render "$file" "$out/kestrel_shared_${inserts}_limited.png" --size 1920x1080)
  awk -v f="$(basename "$file")" -v b="$(stat -c %s "$file")" -v k="$k" -v r="$runs" -v p="$peak" \
    -v l="$limited" 'BEGIN {
    printf "%s (%.1f MB): kestrel-tool render %.2f s (median of %d), peak %.0f MB; under ulimit -v 2000000: %s\n",
      f, b / 1e6, k, r, p * 1024 / 1e6, l }'
done
