// Each format's reader on a small document built here, with Japanese text: the text comes in
// order, and nothing of the markup does.
#include <gtest/gtest.h>

#include "base/TextCodec.h"
#include "extract/Extract.h"
#include "extract/TestDocuments.h"

using kestrel::extract::ExtractFromBytes;
using kestrel::extract::ExtractResult;
using namespace kestrel::test;

namespace {

ExtractResult Extract(const std::string& bytes, std::string_view ext) {
  ExtractResult r;
  EXPECT_TRUE(ExtractFromBytes(bytes, ext, {}, &r)) << ext;
  return r;
}

std::string Text(const std::string& bytes, std::string_view ext) {
  const ExtractResult r = Extract(bytes, ext);
  EXPECT_TRUE(r.ok) << r.message;
  return r.text;
}

std::string Sjis(const std::string& utf8) {
  return *kestrel::Utf8ToAnsi(utf8);
}

TEST(ExtractWord, ParagraphsTabsBreaksAndTableRows) {
  const std::string body =
      Paragraph("日本語の本文") +
      "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>"
      "<w:r><w:t>前</w:t><w:tab/><w:t xml:space=\"preserve\">後 </w:t><w:br/><w:t>次行</w:t></w:r>"
      "<w:r><w:instrText>HYPERLINK \"x\"</w:instrText></w:r></w:p>"
      "<w:tbl><w:tr><w:tc>" +
      Paragraph("表１") + Paragraph("続き") + "</w:tc><w:tc>" + Paragraph("ＡＢＣ") +
      "</w:tc></w:tr><w:tr><w:tc>" + Paragraph("𠮷野家") +
      "</w:tc></w:tr></w:tbl>"
      "<mc:AlternateContent xmlns:mc=\"urn:mc\"><mc:Choice>" +
      Paragraph("箱") + "</mc:Choice><mc:Fallback>" + Paragraph("箱") +
      "</mc:Fallback></mc:AlternateContent>";
  EXPECT_EQ(Text(Docx(body), ".docx"),
            "日本語の本文\r\n前\t後 \r\n次行\r\n表１ 続き\tＡＢＣ\r\n𠮷野家\r\n箱");
}

TEST(ExtractExcel, EverySheetInWorkbookOrderWithSharedInlineAndNumbers) {
  const std::string workbook =
      "<workbook xmlns=\"m\" xmlns:r=\"r\"><sheets>"
      "<sheet name=\"二\" sheetId=\"2\" r:id=\"rId2\"/><sheet name=\"一\" sheetId=\"1\" "
      "r:id=\"rId1\"/>"
      "</sheets></workbook>";
  const std::string rels =
      "<Relationships><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>"
      "<Relationship Id=\"rId2\" Target=\"/xl/worksheets/sheet2.xml\"/></Relationships>";
  const std::string shared =
      "<sst><si><t>漢字</t><rPh sb=\"0\" eb=\"2\"><t>カンジ</t></rPh></si>"
      "<si><r><t>富</t></r><r><t>士</t></r></si></sst>";
  const std::string sheet1 =
      "<worksheet><sheetData><row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c>"
      "<c r=\"C1\"><v>0.30000000000000004</v></c></row>"
      "<row r=\"2\"><c r=\"B2\" t=\"inlineStr\"><is><t>直接</t></is></c>"
      "<c r=\"C2\" t=\"b\"><v>1</v></c></row></sheetData></worksheet>";
  const std::string sheet2 =
      "<worksheet><sheetData><row><c t=\"s\"><v>1</v></c><c t=\"s\"><v>99</v></c>"
      "<c><v>42</v></c></row></sheetData></worksheet>";
  const std::string xlsx = MakeZip({{"xl/workbook.xml", workbook},
                                    {"xl/_rels/workbook.xml.rels", rels},
                                    {"xl/sharedStrings.xml", shared},
                                    {"xl/worksheets/sheet1.xml", sheet1},
                                    {"xl/worksheets/sheet2.xml", sheet2}});
  EXPECT_EQ(Text(xlsx, ".xlsx"), "富士\t42\r\n\r\n漢字\t\t0.3\r\n\t直接\tTRUE");
  EXPECT_EQ(Text(xlsx, ".xlsm"), Text(xlsx, ".xlsx"));
}

TEST(ExtractPowerPoint, SlidesInPresentationOrder) {
  const std::string presentation =
      "<p:presentation xmlns:p=\"p\" xmlns:r=\"r\"><p:sldIdLst>"
      "<p:sldId id=\"256\" r:id=\"rId3\"/><p:sldId id=\"257\" r:id=\"rId2\"/>"
      "</p:sldIdLst></p:presentation>";
  const std::string rels =
      "<Relationships><Relationship Id=\"rId2\" Target=\"slides/slide1.xml\"/>"
      "<Relationship Id=\"rId3\" Target=\"slides/slide2.xml\"/>"
      "<Relationship Id=\"rId9\" TargetMode=\"External\" Target=\"http://x\"/></Relationships>";
  auto slide = [](const std::string& a, const std::string& b) {
    return "<p:sld xmlns:p=\"p\" xmlns:a=\"a\"><p:txBody><a:p><a:r><a:t>" + a +
           "</a:t></a:r><a:br/><a:r><a:t>" + b + "</a:t></a:r></a:p></p:txBody></p:sld>";
  };
  const std::string pptx = MakeZip({{"ppt/presentation.xml", presentation},
                                    {"ppt/_rels/presentation.xml.rels", rels},
                                    {"ppt/slides/slide1.xml", slide("二枚目", "（ＧＨＱ）")},
                                    {"ppt/slides/slide2.xml", slide("一枚目", "𐌲𐌿")}});
  EXPECT_EQ(Text(pptx, ".pptx"), "一枚目\r\n𐌲𐌿\r\n\r\n二枚目\r\n（ＧＨＱ）");
}

TEST(ExtractOpenOffice, WriterAndCalcContent) {
  const std::string writer =
      "<office:document-content xmlns:office=\"o\" xmlns:text=\"t\" xmlns:presentation=\"p\">"
      "<office:body><text:h>見出し</text:h><text:p>本文<text:tab-stop/>タブ<text:s text:c=\"2\"/>後"
      "<text:line-break/>改行</text:p><presentation:notes><text:p>ノート</text:p>"
      "</presentation:notes></office:body></office:document-content>";
  EXPECT_EQ(Text(MakeZip({{"mimetype", "application/vnd.sun.xml.writer"}, {"content.xml", writer}}),
                 ".sxw"),
            "見出し\r\n本文\tタブ  後\r\n改行");
  const std::string calc =
      "<office:document-content xmlns:office=\"o\" xmlns:text=\"t\" xmlns:table=\"b\">"
      "<office:body><table:table><table:table-row><table:table-cell><text:p>甲</text:p>"
      "</table:table-cell><table:table-cell table:number-columns-repeated=\"2\"/>"
      "<table:table-cell><text:p>乙</text:p></table:table-cell>"
      "<table:table-cell table:number-columns-repeated=\"1000000\"/></table:table-row>"
      "<table:table-row table:number-rows-repeated=\"1048000\"><table:table-cell "
      "table:number-columns-repeated=\"1024\"/></table:table-row></table:table>"
      "</office:body></office:document-content>";
  for (const char* ext : {".sxc", ".sxi", ".sxd"})
    EXPECT_EQ(Text(MakeZip({{"content.xml", calc}}), ext), "甲\t\t\t乙") << ext;
}

TEST(ExtractRtf, CodePagesUnicodeDestinationsAndMarks) {
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72 明朝;}"
      "{\\f1\\fcharset0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
      "{\\info{\\title 題名}{\\author 著者}}{\\*\\generator Riched20;}"
      "\\f0 \\'93\\'fa\\'96\\'7b\\'8c\\'ea\\par"
      "\\uc1\\u26412?\\u-10179?\\u-8704?\\line"
      "{\\f1 caf\\'e9}\\tab\\{x\\}"
      "{\\pict\\pngblip 89504e47}{\\*\\shppict{\\pict 00}}{\\field{\\*\\fldinst HYPERLINK}"
      "{\\fldrslt \\'83\\'8a\\'83\\'93\\'83\\'4e}}\\par\n"
      "\\uc2\\u12354\\'82\\'a0 end \\'82P\\'94\\'c5}";
  EXPECT_EQ(Text(rtf, ".rtf"), "日本語\r\n本😀\r\ncafé\t{x}リンク\r\nあ end １版");
}

TEST(ExtractHtml, CharsetsScriptsEntitiesAndBlocks) {
  const std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">"
      "<title>表題</title><style>p { color: red }</style>"
      "<script>document.write('<p>no</p>');</script></head><body>"
      "<!-- 注釈 --><p>一行目&nbsp;&amp;&#x20B9F;&#12354;</p><div>二行目<br>三行目</div>"
      "<table><tr><td>セル１</td><td>セル２</td></tr></table>"
      "<pre>  そのまま\n  保つ</pre></body></html>";
  const std::string expected =
      "表題\r\n一行目 &𠮟あ\r\n二行目\r\n三行目\r\nセル１\tセル２\r\n"
      "  そのまま\r\n  保つ";
  EXPECT_EQ(Text(Sjis(page), ".html"), expected);
  // The same page as UTF-8 with a BOM: the mark wins over the meta tag.
  EXPECT_EQ(Text("\xEF\xBB\xBF" + page, ".htm"), expected);
}

TEST(ExtractMht, HtmlPartDecodedWithItsTransferEncodingAndCharset) {
  const std::string html = "<html><body><p>ウェブ=保存</p></body></html>";
  std::string qp;
  for (unsigned char c : Sjis(html)) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "=%02X", c);
    qp += (c >= 33 && c <= 126 && c != '=') ? std::string(1, char(c)) : std::string(buf);
    if (qp.size() % 70 < 3) qp += "=\r\n";  // soft line breaks
  }
  const std::string mht =
      "From: <Saved>\r\nMIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n"
      "\ttype=\"text/html\";\r\n\tboundary=\"----B\"\r\n\r\n"
      "------B\r\nContent-Type: text/css\r\n\r\np { }\r\n"
      "------B\r\nContent-Type: text/html; charset=\"shift_jis\"\r\n"
      "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
      qp + "\r\n------B--\r\n";
  EXPECT_EQ(Text(mht, ".mht"), "ウェブ=保存");
  const std::string b64 =
      "MIME-Version: 1.0\r\nContent-Type: text/html; charset=utf-8\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nPHA+5pel5pys6KqePC9wPg==\r\n";
  EXPECT_EQ(Text(b64, ".mht"), "日本語");
}

TEST(ExtractIchitaro, TextRunsOfTheCompoundFileLabelledApproximate) {
  const std::string stream = std::string("\x01\x00\x02\x00", 4) + Utf16Le(u"一太郎の本文です") +
                             std::string("\x00\x00\x05\x00", 4) + Utf16Le(u"ＡＢＣ全角");
  const std::string jtd = MakeCompoundFile(u"DocumentText", stream);
  EXPECT_EQ(Text(jtd, ".jtd"), "[一太郎文書: 本文の推定抽出]\r\n一太郎の本文です\r\nＡＢＣ全角");
  EXPECT_EQ(Text(MakeCompoundFile(u"Other", stream), ".jtt"), Text(jtd, ".jtd"));
}

}  // namespace
