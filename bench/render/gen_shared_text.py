#!/usr/bin/env python3
"""A drawing of one block holding one TEXT of 200,000 characters, inserted N times on a grid
(200 to a row, 10 units apart): a small file whose copies of the text are large.
Usage: gen_shared_text.py N OUT.dxf"""
import sys

inserts, out = int(sys.argv[1]), sys.argv[2]
text = ("KESTREL shared text 0123456789 " * 7000)[:200000]
with open(out, "w", newline="\r\n") as f:
    f.write("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1015\n0\nENDSEC\n")
    f.write("0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n2\nBIG\n8\n0\n10\n0\n20\n0\n30\n0\n")
    f.write("0\nTEXT\n8\n0\n10\n0\n20\n0\n30\n0\n40\n2.5\n1\n" + text + "\n")
    f.write("0\nENDBLK\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n")
    for i in range(inserts):
        f.write("0\nINSERT\n8\n0\n2\nBIG\n10\n%d\n20\n%d\n30\n0\n" % (i % 200 * 10, i // 200 * 10))
    f.write("0\nENDSEC\n0\nEOF\n")
