#!/usr/bin/env bash
# File list build against find | sort -f on the 200,000-file tree (hot cache), the word search
# over a million entries, refilling the result list with a million lines, and loading a
# 40,000-line folder list (against the one-by-one insert it replaced).
set -euo pipefail
tree="$KBENCH/tree"
if [ ! -f "$KBENCH/tree_stats.txt" ]; then
  bash ../shared/bench/gen_tree.sh "$tree" 200000 >/dev/null
fi
tool="$BUILD/src/tool/kestrel-tool"
echo "== file list build, 200,000-file tree, mask *.dwg (hot cache)"
"$tool" scan "$tree" '*.dwg' >/dev/null 2>&1  # warm the cache
hyperfine -N --warmup 2 --runs 10 --export-markdown "$KBENCH/scan.md" \
  "$tool scan $tree *.dwg" \
  "bash -c \"find $tree -iname '*.dwg' | sort -f\"" 2>&1 | grep -E 'Time|±|faster|Benchmark' || true
cat "$KBENCH/scan.md"
echo "== search core and file list memory"
"$BUILD/bench/catalogue/bench_catalogue" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
echo "== result list refill in the window"
QT_QPA_PLATFORM=offscreen "$BUILD/bench/catalogue/bench_result_list"
echo "== folder list into the folder box, and the window's start-up with 40,000 folders"
QT_QPA_PLATFORM=offscreen "$BUILD/bench/catalogue/bench_folder_list" --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true
