#!/usr/bin/env bash
# ReadDxfFile on generated drawings of about 10, 50 and 200 MB against the floor (map the file,
# split its lines, parse the coordinates with std::from_chars) and ezdxf's readfile; peak memory
# of one read in its own process (/usr/bin/time -v). Sizes: KBENCH_DXF_SIZES (default
# "10 50 200"); ezdxf runs on KBENCH_EZDXF_SIZES (default "10") because it is slow.
set -euo pipefail
dir="$KBENCH/dxf"
mkdir -p "$dir"
bench="$BUILD/bench/dxf/kestrel_dxf_bench"
runs=${KBENCH_DXF_RUNS:-7}

for size in ${KBENCH_DXF_SIZES:-10 50 200}; do
  file="$dir/r2018_${size}mb.dxf"
  if [ ! -s "$file" ]; then
    echo "== generating $file (ezdxf, takes minutes)"
    /usr/bin/python3 ../shared/bench/gen_dxf.py --size-mb "$size" --version R2018 \
      -o "$file.tmp" >/dev/null
    mv "$file.tmp" "$file"
  fi
  echo "== $(basename "$file")"
  cat "$file" >/dev/null  # hot cache for every contender
  "$bench" floor "$file" "$runs"
  "$bench" read "$file" "$runs"
  peak=$(/usr/bin/time -v "$bench" read "$file" 1 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): //p')
  bytes=$(stat -c %s "$file")
  awk -v kb="$peak" -v b="$bytes" \
    'BEGIN { printf "peak memory of one read: %.1f MB, %.2f x the file\n", kb * 1024 / 1e6, kb * 1024 / b }'
done

for size in ${KBENCH_EZDXF_SIZES:-10}; do
  file="$dir/r2018_${size}mb.dxf"
  echo "== ezdxf readfile, $(basename "$file") (3 runs, each in its own process; the import not timed)"
  for _ in 1 2 3; do
    /usr/bin/python3 -c 'import sys, time, ezdxf
start = time.perf_counter()
ezdxf.readfile(sys.argv[1])
print("ezdxf readfile: %.3f s" % (time.perf_counter() - start))' "$file"
  done
done
