#!/usr/bin/env python3
"""Writes the extraction benchmark's inputs into a folder: a large .docx and .xlsx (tens of MB
of XML), a large .rtf with Japanese text in code page 932, and a 200-page .pdf.

    gen_documents.py OUT_DIR [--scale N [docx|xlsx|rtf|pdf ...]]
"""
import os
import random
import sys
import zipfile

WORDS = ["図面", "寸法", "配置", "平面図", "断面", "設計", "確認", "施工", "変更", "詳細",
         "plan", "section", "detail", "layer", "ＣＡＤ", "（仮）", "第１版", "𠮷野"]


def sentence(rng, n):
    return "".join(rng.choice(WORDS) for _ in range(n))


def docx(path, paragraphs, rng):
    parts = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>'
             '<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">'
             '<w:body>']
    for i in range(paragraphs):
        parts.append('<w:p><w:pPr><w:pStyle w:val="Normal"/></w:pPr><w:r><w:rPr><w:sz w:val="21"/>'
                     '</w:rPr><w:t xml:space="preserve">%d %s</w:t></w:r><w:r><w:t>%s</w:t></w:r></w:p>'
                     % (i, sentence(rng, 6), sentence(rng, 4)))
    parts.append('</w:body></w:document>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/></Types>')
        z.writestr("_rels/.rels",
                   '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/></Relationships>')
        z.writestr("word/document.xml", "".join(parts))


def col(c):
    s = ""
    c += 1
    while c:
        c, r = divmod(c - 1, 26)
        s = chr(65 + r) + s
    return s


def xlsx(path, rows, rng):
    shared = [sentence(rng, 3) for _ in range(5000)]
    sheets = []
    for sheet in range(2):
        parts = ['<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>']
        for r in range(1, rows + 1):
            cells = []
            for c in range(8):
                ref = "%s%d" % (col(c), r)
                if c % 2 == 0:
                    cells.append('<c r="%s" t="s"><v>%d</v></c>' % (ref, rng.randrange(len(shared))))
                else:
                    cells.append('<c r="%s"><v>%s</v></c>' % (ref, rng.random() * 1000))
            parts.append('<row r="%d">%s</row>' % (r, "".join(cells)))
        parts.append('</sheetData></worksheet>')
        sheets.append("".join(parts))
    sst = ['<?xml version="1.0" encoding="UTF-8"?><sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="%d" uniqueCount="%d">' % (len(shared), len(shared))]
    sst += ['<si><t>%s</t></si>' % s for s in shared]
    sst.append('</sst>')
    ns = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"'
    rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        z.writestr("[Content_Types].xml",
                   '<?xml version="1.0"?><Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
                   '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
                   '<Default Extension="xml" ContentType="application/xml"/>'
                   '<Override PartName="/xl/workbook.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml"/>'
                   '<Override PartName="/xl/worksheets/sheet1.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
                   '<Override PartName="/xl/worksheets/sheet2.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml"/>'
                   '<Override PartName="/xl/sharedStrings.xml" ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
        z.writestr("_rels/.rels",
                   '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="%s/officeDocument" Target="xl/workbook.xml"/></Relationships>' % rel)
        z.writestr("xl/workbook.xml",
                   '<?xml version="1.0"?><workbook %s><sheets><sheet name="一" sheetId="1" r:id="rId1"/>'
                   '<sheet name="二" sheetId="2" r:id="rId2"/></sheets></workbook>' % ns)
        z.writestr("xl/_rels/workbook.xml.rels",
                   '<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                   '<Relationship Id="rId1" Type="%s/worksheet" Target="worksheets/sheet1.xml"/>'
                   '<Relationship Id="rId2" Type="%s/worksheet" Target="worksheets/sheet2.xml"/>'
                   '<Relationship Id="rId3" Type="%s/sharedStrings" Target="sharedStrings.xml"/></Relationships>' % (rel, rel, rel))
        z.writestr("xl/sharedStrings.xml", "".join(sst))
        z.writestr("xl/worksheets/sheet1.xml", sheets[0])
        z.writestr("xl/worksheets/sheet2.xml", sheets[1])


def rtf(path, paragraphs, rng):
    out = [r"{\rtf1\ansi\ansicpg932\deff0{\fonttbl{\f0\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}"
           r"{\f1\fcharset0 Arial;}}{\colortbl;\red255\green0\blue0;}{\info{\title bench}}"
           "\n"]
    for i in range(paragraphs):
        text = sentence(rng, 8).replace("𠮷", "吉")
        # Second bytes that are ASCII stay raw, as writers leave them, except the three that
        # RTF itself uses.
        esc = "".join("\\'%02x" % b if b >= 0x80 or chr(b) in "{}\\" else chr(b)
                      for b in text.encode("cp932"))
        out.append(r"{\f0\fs21 %d %s}{\f1\cf1 ascii text}\par" % (i, esc) + "\n")
    out.append("}")
    with open(path, "w", encoding="ascii") as f:
        f.write("".join(out))


def pdf(path, pages, rng):
    objs = []
    font = len(objs) + 1
    objs.append(b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
    page_ids = []
    kids_placeholder = None
    contents = []
    for p in range(pages):
        lines = []
        y = 800
        for l in range(50):
            words = " ".join(rng.choice(["plan", "section", "detail", "layer", "drawing",
                                         "dimension", "revision", "note"]) for _ in range(9))
            lines.append("BT /F1 10 Tf 40 %d Td (%d.%d %s) Tj ET" % (y, p + 1, l + 1, words))
            y -= 15
        contents.append("\n".join(lines).encode())
    # objects: 1 font, 2 pages, then for each page: content, page
    objs = [b"<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>", None]
    for p in range(pages):
        c = contents[p]
        objs.append(b"<< /Length %d >>\nstream\n" % len(c) + c + b"\nendstream")
        objs.append(None)
        page_ids.append(len(objs))
    kids = " ".join("%d 0 R" % i for i in page_ids)
    objs[1] = ("<< /Type /Pages /Kids [%s] /Count %d >>" % (kids, pages)).encode()
    for p, pid in enumerate(page_ids):
        objs[pid - 1] = ("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents %d 0 R "
                         "/Resources << /Font << /F1 1 0 R >> >> >>" % (pid - 1)).encode()
    objs.append(b"<< /Type /Catalog /Pages 2 0 R >>")
    catalog = len(objs)
    out = bytearray(b"%PDF-1.4\n")
    offsets = []
    for i, o in enumerate(objs):
        offsets.append(len(out))
        out += b"%d 0 obj\n" % (i + 1) + o + b"\nendobj\n"
    xref = len(out)
    out += b"xref\n0 %d\n0000000000 65535 f \n" % (len(objs) + 1)
    for off in offsets:
        out += b"%010d 00000 n \n" % off
    out += b"trailer\n<< /Size %d /Root %d 0 R >>\nstartxref\n%d\n%%%%EOF\n" % (len(objs) + 1, catalog, xref)
    with open(path, "wb") as f:
        f.write(out)


def main():
    out = sys.argv[1]
    scale = int(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[2] == "--scale" else 1
    os.makedirs(out, exist_ok=True)
    only = sys.argv[4:] if len(sys.argv) > 4 else ["docx", "xlsx", "rtf", "pdf"]
    if "docx" in only:
        docx(os.path.join(out, "large.docx"), 150000 * scale, random.Random(11))
    if "xlsx" in only:
        xlsx(os.path.join(out, "large.xlsx"), 60000 * scale, random.Random(11))
    if "rtf" in only:
        # unrtf takes minutes for tens of MB: the RTF is a few MB.
        rtf(os.path.join(out, "large.rtf"), 20000 * scale, random.Random(11))
    if "pdf" in only:
        pdf(os.path.join(out, "pages200.pdf"), 200, random.Random(11))


if __name__ == "__main__":
    main()
