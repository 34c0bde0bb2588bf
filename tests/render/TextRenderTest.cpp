#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "dxf/Geometry.h"
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

// A recording canvas that also adds up the bytes it was asked to measure.
struct MeasuringCanvas : RecordingCanvas {
  size_t measured = 0;
  int TextWidth(std::string_view text) override {
    measured += text.size();
    return RecordingCanvas::TextWidth(text);
  }
};

// Numbers in a row with a few symbols among them, so that each stretch of the text is found in
// it only once: "0 1 2 ... 9 %%c10 11 ...".
std::string LongText(size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i)
    text += (i % 10 == 0 ? "%%c" : "") + std::to_string(i) + " ";
  return text;
}

size_t Characters(std::string_view utf8) {
  size_t n = 0;
  for (char c : utf8)
    n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// A long text is drawn as the part of what DrawText draws that lies over the canvas: the same
// characters at the same places.
TEST(DrawRecordText, LongTextIsDrawnOnlyWhereItShows) {
  struct Case {
    int code72;
    double rotation;
    TAcadPoint at;
  } cases[] = {
      {0, 0, {-3000, 0, 0}}, {1, 0, {0, 0, 0}},  {2, 0, {100, 0, 0}},  {0, 90, {0, -2000, 0}},
      {2, 90, {0, 50, 0}},   {1, 90, {0, 0, 0}}, {0, 0, {150, 20, 0}}, {4, 0, {40, -60, 0}},
  };
  const std::string text = LongText(200000);
  const std::string whole = ReplaceTextSymbols(text);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "code72 " << c.code72 << ", rotation " << c.rotation);
    TTextBlk t = Text("", c.code72);
    t.str = text;
    t.code50 = c.rotation;
    t.pt10 = t.pt11 = c.at;
    RecordingCanvas before;
    DrawText(before, {200, 150}, 1, whole, t.pt10, t.pt11, t, 0x00FF00);
    const std::vector<CanvasCall> all = before.CallsOf(K::TextOut);
    ASSERT_EQ(all.size(), 1u);

    MeasuringCanvas canvas;
    TextPass pass(400, 300);
    DrawRecordText(canvas, {200, 150}, 1, t, t.pt10, t.pt11, 0x00FF00, pass);
    const std::vector<CanvasCall> shown = canvas.CallsOf(K::TextOut);
    ASSERT_EQ(shown.size(), 1u);
    const std::string& part = shown[0].text;
    const size_t at = whole.find(part);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(whole.find(part, at + 1), std::string::npos);
    // Each character is 5 pixels wide on this canvas.
    const int k = int(Characters(std::string_view(whole).substr(0, at)));
    const double a = c.rotation * dxf::kDegToRad;
    EXPECT_NEAR(shown[0].args[0], all[0].args[0] + 5 * k * std::cos(a), 1);
    EXPECT_NEAR(shown[0].args[1], all[0].args[1] - 5 * k * std::sin(a), 1);
    // It covers the canvas where the whole text does, and little more.
    const auto pixelAt = [&](size_t n) {
      return std::array<double, 2>{shown[0].args[0] + 5.0 * n * std::cos(a),
                                   shown[0].args[1] - 5.0 * n * std::sin(a)};
    };
    const auto inCanvas = [](std::array<double, 2> p) {
      return p[0] >= 0 && p[0] <= 400 && p[1] >= 0 && p[1] <= 300;
    };
    const size_t n = Characters(part);
    if (k > 0) {
      EXPECT_FALSE(inCanvas(pixelAt(0)));
    }
    if (at + part.size() < whole.size()) {
      EXPECT_FALSE(inCanvas(pixelAt(n)));
    }
    EXPECT_LT(n, 400 / 5 + 2 * 256);
    EXPECT_LT(canvas.measured, c.code72 == 0 ? 8000u : text.size() + 1000);
  }
}

TEST(DrawRecordText, LongTextBesideTheCanvasCostsNothing) {
  const struct {
    double rotation;
    TAcadPoint at;
  } cases[] = {{0, {-1000, 500, 0}}, {0, {500, 0, 0}}, {90, {300, -1000, 0}}, {45, {0, 1000, 0}}};
  for (const auto& c : cases) {
    for (bool mtext : {false, true}) {
      TTextBlk t = Text("");
      t.str = LongText(100000);
      t.mtflag = mtext;
      t.code50 = c.rotation;
      if (mtext)
        t.pt11 = {std::cos(c.rotation * dxf::kDegToRad), std::sin(c.rotation * dxf::kDegToRad), 0};
      t.pt10 = c.at;
      MeasuringCanvas canvas;
      TextPass pass(400, 300);
      DrawRecordText(canvas, {200, 150}, 1, t, t.pt10, t.pt11, 0x00FF00, pass);
      EXPECT_TRUE(canvas.CallsOf(K::TextOut).empty()) << c.rotation << " " << mtext;
      EXPECT_EQ(canvas.measured, 0u);
    }
  }
}

// A long MTEXT draws the lines of DrawText that reach the canvas, and no others.
TEST(DrawRecordText, LongMTextDrawsTheLinesThatShow) {
  std::string text;
  for (int i = 0; text.size() < 100000; ++i)
    text += "{\\H2;line} %%c" + std::to_string(i) + "\\P";
  for (int attach : {1, 5, 9}) {
    for (double y : {0.0, 20000.0, 40000.0, -100.0}) {
      SCOPED_TRACE(testing::Message() << "attach " << attach << ", y " << y);
      TTextBlk t = Text("");
      t.str = text;
      t.mtflag = true;
      t.code71 = int16_t(attach);
      t.pt10 = {-50, y, 0};
      t.pt11 = {1, 0, 0};
      RecordingCanvas before;
      DrawText(before, {200, 150}, 1, ReplaceTextSymbols(text), t.pt10, t.pt11, t, 0x00FF00);
      std::vector<std::string> onCanvas;
      for (const CanvasCall& call : before.CallsOf(K::TextOut)) {
        if (call.args[1] > -13 && call.args[1] < 300) onCanvas.push_back(Describe(call));  // h 13
      }
      MeasuringCanvas canvas;
      TextPass pass(400, 300);
      DrawRecordText(canvas, {200, 150}, 1, t, t.pt10, t.pt11, 0x00FF00, pass);
      std::vector<std::string> drawn;
      for (const CanvasCall& call : canvas.CallsOf(K::TextOut)) {
        drawn.push_back(Describe(call));
        EXPECT_TRUE(call.args[1] > -80 && call.args[1] < 380) << Describe(call);
      }
      for (const std::string& line : onCanvas)
        EXPECT_NE(std::find(drawn.begin(), drawn.end(), line), drawn.end()) << line;
      for (const std::string& line : drawn) {
        const auto all = before.Log({K::TextOut});
        EXPECT_NE(std::find(all.begin(), all.end(), line), all.end()) << line;
      }
      EXPECT_LT(drawn.size(), 40u);
    }
  }
}

// Copies of a block's text share its string: in one redraw it is measured once, not per copy.
TEST(DrawDrawingTexts, CopiesOfALongTextAreMeasuredOnce) {
  dxf::Drawing d;
  TTextBlk t = Text("", 2);
  t.str = LongText(200000);
  for (int i = 0; i < 2000; ++i) {
    t.pt11 = {-150.0 + i % 40 * 10, -120.0 + i / 40 * 5, 0};
    d.TextAry.push_back(t);
  }
  ViewState v;
  v.ViewWidth = 360;
  v.ViewHeight = 270;
  for (bool drawAll : {true, false}) {
    MeasuringCanvas canvas;
    DrawOptions options = DrawOptions::ForCanvas(400, 300);
    options.drawAll = drawAll;
    EXPECT_EQ(DrawDrawing(canvas, d, v, options), 2000);
    EXPECT_LT(canvas.measured, 200000 + 2000 * 100);
    size_t drawn = 0;
    for (const CanvasCall& call : canvas.CallsOf(K::TextOut))
      drawn += call.text.size();
    EXPECT_LT(drawn, 2000u * 1200);
  }
}

}  // namespace
}  // namespace kestrel::render
