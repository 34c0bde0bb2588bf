#include <gtest/gtest.h>

#include "render/RecordingCanvas.h"
#include "render/Renderer.h"
#include "render/TextRender.h"

namespace kestrel::render {
namespace {

using dxf::TTextBlk;
using K = CanvasCall;

TEST(ReplaceTextSymbols, Table) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"%%c10", "Φ10"},
      {"%%C10", "Φ10"},
      {"30%%D", "30°"},
      {"30%%d", "30°"},
      {"%%p0.5", "±0.5"},
      {"%%P0.5", "±0.5"},
      {"100%%%", "100%"},
      {"50%", "50%"},
      {"%%u%%o", "%%u%%o"},
      {"a%%%%cb", "a%%Φb"} /* %%c goes first */,
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReplaceTextSymbols(c.in), c.out) << c.in;
}

TEST(StripMTextCodes, Table) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {R"({\fArial|b0|i0;Plan})", "Plan"},
      {R"(\H2.5;Room \Lone\l)", "Room one"},
      {R"(1\S1/2;)", "11/2;"},
      {R"(\C1;red\C256;)", "red"},
      {R"(a\{b\}c)", "ab}c"},  // an escaped opening brace is dropped with the rest
      {R"(C:\\dir)", R"(C:\dir)"},
      {R"(x\W0.8)", "x"},  // no semicolon: the rest of the line goes
      {R"(\)", R"(\)"},
      {"^Itab^ x", "tabx"},
      {"}{x}", "}x"},  // the first character is always copied; later braces go
      {"平面図", "平面図"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StripMTextCodes(c.in), c.out) << c.in;
}

TEST(TextCleanUp, LongTextsFullOfCodesTakeLinearTime) {
  std::string symbols, phi, codes;
  for (int i = 0; i < 200000; ++i)
    symbols += "%%c", phi += "Φ";
  for (int i = 0; i < 100000; ++i)
    codes += R"({\H2;\Lx})";
  EXPECT_EQ(ReplaceTextSymbols(symbols), phi);
  EXPECT_EQ(StripMTextCodes(codes), std::string(100000, 'x'));
}

TEST(Cp932ByteCount, JapaneseCountsTwo) {
  EXPECT_EQ(Cp932ByteCount("ABCD"), 4);
  EXPECT_EQ(Cp932ByteCount("日本語文"), 8);
  EXPECT_EQ(Cp932ByteCount("ｱｲ"), 2);                 // half-width katakana
  EXPECT_EQ(Cp932ByteCount("A\xF0\x9F\x98\x80"), 2);  // not in the code page: one replacement
}

// s = 1 and the origin at (200, 150), as the renderer's unit view gives.
struct TextFixture : ::testing::Test {
  RecordingCanvas canvas;
  void Draw(const TTextBlk& t, double s = 1) {
    DrawText(canvas, {200, 150}, s, ReplaceTextSymbols(t.str), t.pt10, t.pt11, t, 0x00FF00);
  }
  std::vector<std::string> Out() { return canvas.Log({K::Font, K::TextOut}); }
};

TTextBlk Text(const char* s, int code72 = 0, int code73 = 0) {
  TTextBlk t;
  t.str = s;
  t.code40 = 10;  // h = 13; w = Round(10 × 0.663 × 0.75) = 5
  t.code41 = 1;
  t.code44 = 1;
  t.code72 = int16_t(code72);
  t.code73 = int16_t(code73);
  t.pt11 = {50, 0, 0};
  return t;
}

TEST_F(TextFixture, TextAnchorsAndJustification) {
  Draw(Text("ABCD"));        // left on the baseline at pt10: top-left 0.855 h above
  Draw(Text("ABCD", 2));     // right: placed at pt11 and ends there (x 250)
  Draw(Text("ABCD", 1, 2));  // centre, middle
  Draw(Text("ABCD", 4));     // middle
  Draw(Text("ABCD", 0, 1));  // bottom, at pt11
  Draw(Text("ABCD", 0, 3));  // top
  Draw(Text("ABCD", 9, 9));  // unknown values: left, full height
  EXPECT_EQ(Out(),
            (std::vector<std::string>{"Font 13 5 0", "TextOut 200 139 ABCD", "Font 16 0 0",
                                      "Font 13 5 0", "TextOut 230 139 ABCD", "Font 16 0 0",
                                      "Font 13 5 0", "TextOut 240 144 ABCD", "Font 16 0 0",
                                      "Font 13 5 0", "TextOut 240 144 ABCD", "Font 16 0 0",
                                      "Font 13 5 0", "TextOut 250 137 ABCD", "Font 16 0 0",
                                      "Font 13 5 0", "TextOut 250 149 ABCD", "Font 16 0 0",
                                      "Font 13 5 0", "TextOut 250 137 ABCD", "Font 16 0 0"}));
}

TEST_F(TextFixture, HeightsWidthsAndRotation) {
  TTextBlk t = Text("AB");
  t.code40 = 2.5;
  Draw(t, 5);  // h = Round(0.65) = 1: too small to read
  EXPECT_TRUE(canvas.Calls().empty());
  Draw(t, 1);  // h = Round(3.25) = 3
  t = Text("ABCD");
  t.code41 = 2;  // w = Round(10 × 0.663 × 2 × 0.75) = 10
  t.code50 = 90;
  Draw(t);                  // the offset to the cell's corner turns with the text
  t = Text("日本語文", 5);  // fit: 8 bytes between pt10 and pt11 80 apart: w = Round(80 × 0.8 / 8)
  t.pt11 = {80, 0, 0};
  Draw(t);
  EXPECT_EQ(canvas.Log({K::Font}),
            (std::vector<std::string>{"Font 3 1 0", "Font 16 0 0", "Font 13 10 900", "Font 16 0 0",
                                      "Font 13 8 0", "Font 16 0 0"}));
  EXPECT_EQ(canvas.Log({K::TextOut})[1], "TextOut 189 150 ABCD");
}

TEST_F(TextFixture, ColourIsSetOnlyWhenItChangesAndTheBackgroundIsClear) {
  Draw(Text("A"));
  Draw(Text("B"));
  EXPECT_EQ(canvas.Log({K::FontColor, K::BrushStyle}),
            (std::vector<std::string>{"FontColor 00FF00", "BrushStyle 1", "BrushStyle 1"}));
  EXPECT_EQ(canvas.GetFont().height, 16);  // the canvas font is selected again
}

TEST_F(TextFixture, MTextLinesPitchAndAttachment) {
  TTextBlk t = Text(R"(A\PB\P{\H2;C})");
  t.mtflag = true;
  t.code71 = 7;   // bottom left: three lines moved up by 3 × pitch (pitch 17)
  t.code50 = 30;  // ignored: the direction (0, 0) means unrotated
  t.pt11 = {0, 0, 0};
  Draw(t);
  EXPECT_EQ(Out(), (std::vector<std::string>{"Font 13 4 0", "TextOut 200 88 A", "TextOut 200 105 B",
                                             "TextOut 200 122 C", "Font 16 0 0"}));
}

TEST_F(TextFixture, MTextDirectionAndCentring) {
  TTextBlk t = Text(R"(AB^JCD\P)");
  t.mtflag = true;
  t.code71 = 5;        // middle centre: moved up by half of (n − 1) pitches
  t.pt11 = {0, 1, 0};  // the X axis points up: rotated 90 degrees
  Draw(t);
  // Line 1: anchor (−8.5, 0); the offset (−4, 6.11) turns to (−6.11, −4): (−14.61, −4).
  // Line 2: the anchor moves one pitch (17) along +x, "down" in the text's own frame.
  EXPECT_EQ(Out(), (std::vector<std::string>{"Font 13 4 900", "TextOut 185 154 AB",
                                             "TextOut 202 154 CD", "Font 16 0 0"}));
}

TEST(DrawDrawingTexts, SymbolsReplacedInvisibleAttributesSkipped) {
  dxf::Drawing d;
  TTextBlk t = Text("%%c10");
  t.PenColor = 0;  // black on black: drawn white
  d.TextAry.push_back(t);
  t.str = "hidden";
  t.code70 = 1;
  d.TextAry.push_back(t);
  ViewState v;
  v.ViewWidth = 360;
  v.ViewHeight = 270;
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, v, DrawOptions::ForCanvas(400, 300)), 1);
  EXPECT_EQ(c.Log({K::FontColor, K::TextOut}),
            (std::vector<std::string>{"FontColor FFFFFF", "TextOut 200 139 Φ10"}));
  EXPECT_EQ(d.TextAry[0].str, "%%c10");
}

}  // namespace
}  // namespace kestrel::render
