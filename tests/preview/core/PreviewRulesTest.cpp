#include <gtest/gtest.h>

#include "preview/core/PreviewRules.h"

using namespace kestrel::preview;

TEST(PreviewRules, HighlighterByExtension) {
  const std::pair<const char*, Highlighter> cases[] = {
      {".LSP", Highlighter::AutoLisp},
      {".MNL", Highlighter::None},
      {".PAS", Highlighter::Pascal},
      {".DPR", Highlighter::Pascal},
      {".DPROJ", Highlighter::None},
      {".DPK", Highlighter::None},
      {".BAS", Highlighter::VisualBasic},
      {".VB", Highlighter::VisualBasic},
      {".VBS", Highlighter::VisualBasic},
      {".CS", Highlighter::CSharp},
      {".CSV", Highlighter::CSharp},
      {".CPP", Highlighter::Cpp},
      {".C", Highlighter::Cpp},
      {".H", Highlighter::Cpp},
      {".INO", Highlighter::Cpp},
      {".HPP", Highlighter::None},
      {".CC", Highlighter::None},
      {".TXT", Highlighter::None},
      {"", Highlighter::None},
      // First matching row wins.
      {".LSPAS", Highlighter::AutoLisp},
      {".PASCS", Highlighter::Pascal},
      {".VBCS", Highlighter::VisualBasic},
  };
  for (const auto& [ext, expected] : cases) {
    SCOPED_TRACE(ext);
    EXPECT_EQ(ChooseHighlighter(ext), expected);
  }
}

TEST(PreviewRules, PathsAndExtensions) {
  EXPECT_EQ(UpperExtension("/data/plan.v2.dxf"), ".DXF");
  EXPECT_EQ(UpperExtension("/data/old.d/README"), "");
  EXPECT_EQ(UpperExtension("/data/x.Jpeg"), ".JPEG");
  EXPECT_EQ(FileNameOf("/data/sub/a b.dwg"), "a b.dwg");
  EXPECT_EQ(FileNameOf("name.txt"), "name.txt");
}

TEST(PreviewRules, PictureAndExtractableExtensions) {
  for (const char* e : {".BMP", ".PNG", ".ICO", ".JPG", ".JPEG", ".WMF", ".EMF"})
    EXPECT_TRUE(IsPictureExtension(e)) << e;
  for (const char* e : {".GIF", ".TIF", ".SVG", ".png", ""})
    EXPECT_FALSE(IsPictureExtension(e)) << e;
  for (const char* e : {".DOCX", ".docx", ".Pdf", ".HTML", ".xlsm", ".JTT"})
    EXPECT_TRUE(IsExtractableExtension(e)) << e;
  for (const char* e : {".TXT", ".DWG", ".ODT", ".DOCX ", "", ".doc.docx"})
    EXPECT_FALSE(IsExtractableExtension(e)) << e;
}

TEST(PreviewRules, TitleFromPackedDateTime) {
  // 2023-08-12 14:05:58: date (43 << 9) | (8 << 5) | 12, time (14 << 11) | (5 << 5) | 29.
  const uint32_t v = ((43u << 9 | 8u << 5 | 12u) << 16) | (14u << 11 | 5u << 5 | 29u);
  EXPECT_EQ(PreviewTitle(v, "/work/a b.lsp"), "[2023/08/12 14:05:58] a b.lsp");
  EXPECT_EQ(FormatDosDateTime(0), "[1980/00/00 00:00:00] ");
  EXPECT_EQ(FormatDosDateTime(0xFFFFFFFFu), "[2107/15/31 31:63:62] ");
}
