// Documents made to break a reader: each ends quickly with text or a short message, within
// bounded memory, and nothing is written anywhere.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "common/SpecialFiles.h"
#include "extract/Extract.h"
#include "extract/TestDocuments.h"
#include "extract/TextOut.h"
#include "extract/Zip.h"

using kestrel::extract::ExtractDocumentText;
using kestrel::extract::ExtractFromBytes;
using kestrel::extract::ExtractResult;
using namespace kestrel::test;

namespace {

std::string Repeat(std::string_view s, size_t n) {
  std::string out;
  out.reserve(s.size() * n);
  for (size_t i = 0; i < n; ++i)
    out.append(s);
  return out;
}

struct Hostile {
  const char* what;
  std::string ext;
  std::string bytes;
  bool ok;               // text (true) or a message (false)
  std::string contains;  // in the text or the message
};

std::vector<Hostile> Cases() {
  const std::string docx = Docx(Paragraph("正しい本文"));
  const std::string laughs =
      "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
      "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g "
      "\"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
      "<w:document "
      "xmlns:w=\"w\"><w:body><w:p><w:r><w:t>&g;</w:t></w:r></w:p></w:body></w:document>";
  return {
      {"not a zip", ".docx", "これは zip ではない", false, "zip"},
      {"truncated zip", ".docx", docx.substr(0, docx.size() / 2), false, "zip"},
      {"zip without the document part", ".docx", MakeZip({{"other.xml", "<a/>"}}), false,
       "word/document.xml"},
      {"encrypted part", ".docx",
       MakeZip({{"word/document.xml", WordDocument(Paragraph("秘密")), true}}), false, "暗号化"},
      {"names that climb out of the archive", ".docx",
       MakeZip({{"../../kestrel-escaped", "x"},
                {"/tmp/kestrel-absolute", "x"},
                {"word/document.xml", WordDocument(Paragraph("中身"))}}),
       true, "中身"},
      {"entity expansion", ".docx", MakeZip({{"word/document.xml", laughs}}), false, "XML"},
      {"broken XML keeps nothing", ".docx",
       MakeZip({{"word/document.xml", "<w:document><w:body><w:p></w:q>"}}), false, "XML"},
      {"sheet list naming missing parts", ".xlsx",
       MakeZip({{"xl/workbook.xml",
                 "<workbook><sheets><sheet r:id=\"x\" xmlns:r=\"r\"/></sheets></workbook>"},
                {"xl/_rels/workbook.xml.rels",
                 "<Relationships><Relationship Id=\"x\" "
                 "Target=\"../../../etc/passwd\"/></Relationships>"}}),
       true, ""},
      {"RTF nested a million deep", ".rtf",
       "{\\rtf1 " + Repeat("{", 1'000'000) + "\\u28145?\\u12356?" + Repeat("}", 1'000'000) + "}",
       true, "深い"},
      {"RTF with unbalanced closing groups", ".rtf", "{\\rtf1 a}}}}}}b\\par}", true, "a"},
      {"RTF with a 2 GB \\bin", ".rtf", "{\\rtf1 前\\bin2000000000 abc}", true, ""},
      {"RTF \\bin with a huge parameter", ".rtf", "{\\rtf1 x\\bin99999999999999999999 y}", true,
       "x"},
      {"RTF \\u past the BMP and cut-off escapes", ".rtf", "{\\rtf1 \\u-1\\u99999 \\'9", true, ""},
      {"not RTF", ".rtf", "plain text", false, "RTF"},
      {"HTML nested a million deep", ".html",
       Repeat("<div>", 1'000'000) + "底" + Repeat("</div>", 1'000'000), true, "底"},
      {"HTML with unclosed script and comment", ".html", "<p>前<script>alert(1)<!-- x", true, "前"},
      {"HTML entities out of range", ".html", "&#x110000;&#0;&#99999999999;&bogus;", true,
       "&bogus;"},
      {"MHT nested multiparts", ".mht",
       [] {
         std::string m;
         for (int i = 0; i < 100; ++i) {
           const std::string b = "b" + std::to_string(i);
           m += "Content-Type: multipart/mixed; boundary=" + b + "\r\n\r\n--" + b + "\r\n";
         }
         return m + "Content-Type: text/html\r\n\r\n<p>奥</p>";
       }(),
       false, "本文"},
      {"MHT without parts", ".mht", "Content-Type: multipart/related; boundary=x\r\n\r\n", false,
       "本文"},
      {"compound file with a cycle", ".jtd",
       [] {
         std::string f = MakeCompoundFile(u"DocumentText", Utf16Le(u"循環する本文"));
         const uint32_t self = 2;
         std::memcpy(&f[512 + 8], &self, 4);  // the stream's first sector points at itself
         return f;
       }(),
       true, "循環する本文"},
      {"compound file cut short", ".jtd", MakeCompoundFile(u"DocumentText", "ab").substr(0, 600),
       false, "一太郎"},
      {"not a compound file", ".jtd", "JTD?", false, "一太郎"},
  };
}

TEST(ExtractHostile, EachEndsWithTextOrAMessage) {
  for (const Hostile& c : Cases()) {
    SCOPED_TRACE(c.what);
    const auto start = std::chrono::steady_clock::now();
    ExtractResult r;
    ASSERT_TRUE(ExtractFromBytes(c.bytes, c.ext, {}, &r));
    EXPECT_EQ(r.ok, c.ok) << r.message;
    EXPECT_NE((r.ok ? r.text : r.message).find(c.contains), std::string::npos)
        << (r.ok ? r.text : r.message);
    if (!r.ok) EXPECT_TRUE(r.text.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  }
  EXPECT_FALSE(std::filesystem::exists("../../kestrel-escaped"));
  EXPECT_FALSE(std::filesystem::exists("/tmp/kestrel-absolute"));
}

TEST(ExtractHostile, ExpandedSizesAreBoundedByTheReaderNotTheArchive) {
  // 64 MiB of blanks deflate to some 64 KiB.
  const std::string big(64 << 20, ' ');
  const std::string zipBytes = MakeZip({{"big.xml", big}});
  ASSERT_LT(zipBytes.size(), 1u << 20);
  std::string error;
  kestrel::extract::ZipArchive zip(zipBytes, &error);
  ASSERT_TRUE(zip.IsOpen()) << error;
  std::string out;
  EXPECT_FALSE(zip.ReadAll("big.xml", &out, 1 << 20, &error));
  EXPECT_LE(out.size(), 1u << 20);
  EXPECT_EQ(error, "展開後のサイズが大きすぎます");
}

TEST(ExtractHostile, TextStopsAtItsLimitOnACharacterBoundary) {
  kestrel::extract::TextOut out(10);
  out.Append("日本語の");  // 12 bytes
  EXPECT_TRUE(out.Full());
  EXPECT_EQ(out.Text(), "日本語");
  out.Append("x");
  EXPECT_EQ(out.Text(), "日本語");
}

TEST(ExtractHostile, EveryPrefixOfADocumentEnds) {
  const std::string docx = Docx(Paragraph("前") + Paragraph("後"));
  for (size_t n = 0; n < docx.size(); n += 7) {
    ExtractResult r;
    ExtractFromBytes(std::string_view(docx).substr(0, n), ".docx", {}, &r);
    EXPECT_FALSE(r.ok && n < docx.size() / 2) << n;
  }
  const std::string rtf =
      "{\\rtf1\\ansicpg932{\\fonttbl{\\f0\\fcharset128 x;}}\\f0 \\'93\\'fa\\u26412?\\par}";
  for (size_t n = 5; n < rtf.size(); ++n) {
    ExtractResult r;
    ExtractFromBytes(std::string_view(rtf).substr(0, n), ".rtf", {}, &r);
    EXPECT_TRUE(r.ok) << n;
  }
}

TEST(ExtractFiles, SpecialFilesAreRefusedWithoutWaiting) {
  for (const char* ext : {".docx", ".rtf", ".pdf", ".doc"}) {
    const SpecialFiles special(ext);
    for (const SpecialFile& file : special.Files()) {
      SCOPED_TRACE(file.kind + ext);
      const auto got = SpecialFiles::Read(
          file,
          [](const std::string& path) {
            const ExtractResult r = ExtractDocumentText(path);
            return std::string(r.ok ? "text" : "message");
          },
          std::chrono::milliseconds(3000));
      EXPECT_EQ(got, "message") << "(nothing: it did not return in time)";
    }
  }
}

TEST(ExtractFiles, CorpusDocumentsGiveTheirText) {
  const std::string office = std::string(KESTREL_CORPUS_DIR) + "/office/";
  const std::string pdf = std::string(KESTREL_CORPUS_DIR) + "/pdf/";
  const std::pair<std::string, std::string> files[] = {
      {office + "textract_raw_text.docx", "I love word documents."},
      {office + "textract_raw_text.xlsx", "AVERAGEIF"},
      {office + "poi_with_japanese.pptx", "ゾルゲと尾崎、淡々と最期\r\n（ＧＨＱ）"},
      {office + "textract_raw_text.rtf", "That is where http://hipsum.co comes in handy."},
      {office + "textract_raw_text.doc", "That is where http://hipsum.co comes in handy."},
      {office + "ffc_word6.doc", "file format commons doc 6.0"},
      {office + "ffc.html", "file format commons txt"},
      {office + "langchain_example.mht", "Official Home Page"},
      {pdf + "pdfminer_jo.pdf", "みんなのおのおの"},
      {pdf + "textract_raw_text.pdf", "Sample text is hard."},
  };
  for (const auto& [path, expected] : files) {
    SCOPED_TRACE(path);
    const ExtractResult r = ExtractDocumentText(path);
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_NE(r.text.find(expected), std::string::npos);
    EXPECT_EQ(r.text.find("<w:"), std::string::npos);
    if (path.find(".xls") == std::string::npos)  // a sheet of function names has it as data
      EXPECT_EQ(r.text.find("HYPERLINK"), std::string::npos);
  }
}

}  // namespace
