#!/usr/bin/env bash
# Extraction against its peers on the same generated files, in one run: kestrel-tool extract
# and docx2txt, xlsx2csv, unrtf, pdftotext taking turns, RUNS runs each (5), medians; then how
# live the window stays during each extraction. CASES=large.rtf,pages200.pdf runs only those.
set -euo pipefail
cd "$(dirname "$0")/../.."
BUILD=${BUILD:-build-bench}
DIR=${KBENCH:-/tmp/kestrel-bench}/extract
[ -f "$DIR/pages200.pdf" ] || python3 bench/extract/gen_documents.py "$DIR"
TOOL=$BUILD/src/tool/kestrel-tool
python3 - "$TOOL" "$DIR" <<'PY'
import os, statistics, subprocess, sys, time
tool, d = sys.argv[1], sys.argv[2]
cases = [
    ("large.docx", [tool, "extract", d + "/large.docx"], ["docx2txt", d + "/large.docx", "-"]),
    ("large.xlsx", [tool, "extract", d + "/large.xlsx"], ["xlsx2csv", "-a", d + "/large.xlsx"]),
    ("large.rtf", [tool, "extract", d + "/large.rtf"], ["unrtf", "--text", d + "/large.rtf"]),
    ("pages200.pdf", [tool, "extract", d + "/pages200.pdf"], ["pdftotext", d + "/pages200.pdf", "-"]),
    ("pages200.pdf --pdf-engine", [tool, "extract", d + "/pages200.pdf", "--pdf-engine"],
     ["pdftotext", d + "/pages200.pdf", "-"]),
]
def run(cmd):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - t
print("| file | kestrel-tool extract | peer | peer's time | peer / kestrel |")
print("|---|---:|---|---:|---:|")
only = os.environ.get("CASES", "")
for name, mine, peer in cases:
    if only and not any(name.startswith(c) for c in only.split(",")):
        continue
    a, b = [], []
    for _ in range(int(os.environ.get("RUNS", "5"))):
        a.append(run(mine))
        b.append(run(peer))
    ma, mb = statistics.median(a), statistics.median(b)
    print("| %s | %.3f s | %s | %.3f s | %.2f |" % (name, ma, peer[0], mb, mb / ma))
PY
for f in large.docx large.xlsx large.rtf pages200.pdf; do
  "$BUILD"/bench/extract/extract_responsiveness "$DIR/$f"
done
"$BUILD"/bench/extract/extract_responsiveness --pdf-engine "$DIR/pages200.pdf"
