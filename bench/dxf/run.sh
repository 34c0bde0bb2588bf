#!/usr/bin/env bash
# ReadDxfFile on generated drawings of about 10, 50 and 200 MB against the floor (map the file,
# split its lines, parse the coordinates with std::from_chars) and ezdxf's readfile; peak memory
# of one read in its own process (/usr/bin/time -v). Sizes: KBENCH_DXF_SIZES (default
# "10 50 200"); ezdxf runs on KBENCH_EZDXF_SIZES (default "10") because it is slow.
#
# These virtual machines run a process now fast, now up to 1.7 times slower, whatever it does:
# so each figure is the median over KBENCH_DXF_ROUNDS processes (default 5) that take turns with
# the contender's, each process giving the median of KBENCH_DXF_RUNS reads (default 7).
set -euo pipefail
dir="$KBENCH/dxf"
mkdir -p "$dir"
bench="$BUILD/bench/dxf/kestrel_dxf_bench"
runs=${KBENCH_DXF_RUNS:-7}
rounds=${KBENCH_DXF_ROUNDS:-5}

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds() { sed -E 's/.*wall median ([0-9.]+) s.*/\1/'; }

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
  floors=() reads=()
  for _ in $(seq "$rounds"); do
    floors+=("$("$bench" floor "$file" "$runs" | seconds)")
    line=$("$bench" read "$file" "$runs")
    reads+=("$(echo "$line" | seconds)")
  done
  echo "last read process: $line"
  floor=$(printf '%s\n' "${floors[@]}" | median)
  read=$(printf '%s\n' "${reads[@]}" | median)
  bytes=$(stat -c %s "$file")
  echo "floor per process: ${floors[*]} s"
  echo "read per process:  ${reads[*]} s"
  awk -v f="$floor" -v r="$read" -v b="$bytes" 'BEGIN {
    printf "median: floor %.3f s (%.0f MB/s), ReadDxfFile %.3f s (%.0f MB/s), read / floor %.2f\n",
      f, b / f / 1e6, r, b / r / 1e6, f / r }'
  peak=$(/usr/bin/time -v "$bench" read "$file" 1 2>&1 >/dev/null |
    sed -n 's/.*Maximum resident set size (kbytes): //p')
  awk -v kb="$peak" -v b="$bytes" \
    'BEGIN { printf "peak memory of one read: %.1f MB, %.2f x the file\n", kb * 1024 / 1e6, kb * 1024 / b }'
done

for size in ${KBENCH_EZDXF_SIZES:-10}; do
  file="$dir/r2018_${size}mb.dxf"
  echo "== ezdxf readfile against ReadDxfFile, $(basename "$file") (3 rounds, the import not timed)"
  for _ in 1 2 3; do
    ez=$(/usr/bin/python3 -c 'import sys, time, ezdxf
start = time.perf_counter()
ezdxf.readfile(sys.argv[1])
print("%.3f" % (time.perf_counter() - start))' "$file")
    read=$("$bench" read "$file" "$runs" | seconds)
    awk -v e="$ez" -v r="$read" 'BEGIN {
      printf "ezdxf %.3f s, ReadDxfFile %.3f s: %.0f times faster\n", e, r, e / r }'
  done
done
