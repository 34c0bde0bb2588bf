#include <gtest/gtest.h>

#include <QImage>
#include <set>
#include <string>

#include "render/QtCanvas.h"
#include "render/Renderer.h"

namespace kestrel::render {
namespace {

constexpr Color kRed = 0x0000FF;

QImage Blank(int w, int h, QRgb fill = qRgb(0, 0, 0)) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

// The picture as rows of '#' (lit) and '.' (black).
std::vector<std::string> Rows(const QImage& img) {
  std::vector<std::string> rows;
  for (int y = 0; y < img.height(); ++y) {
    std::string s;
    for (int x = 0; x < img.width(); ++x)
      s += (img.pixel(x, y) & 0xFFFFFF) ? '#' : '.';
    rows.push_back(s);
  }
  return rows;
}

Color At(const QImage& img, int x, int y) {
  QRgb p = img.pixel(x, y);
  return Color(qRed(p)) | Color(qGreen(p)) << 8 | Color(qBlue(p)) << 16;
}

TEST(QtCanvas, LinesEndBeforeTheirLastPixelAndFrameTheView) {
  QImage img = Blank(6, 4, qRgb(9, 9, 9));
  {
    QtCanvas c(img);
    ClearCanvas(c, 6, 4, kBlack);
    c.MoveTo(1, 1);
    c.LineTo(4, 1);
    c.LineTo(4, 1);  // zero length: nothing
  }
  EXPECT_EQ(Rows(img), (std::vector<std::string>{"......", ".###..", "......", "......"}));
  {
    QtCanvas c(img);
    DrawViewFrame(c, 6, 4);
  }
  EXPECT_EQ(Rows(img), (std::vector<std::string>{"######", "####.#", "#....#", "######"}));
  EXPECT_EQ(At(img, 5, 3), kCyan);
  EXPECT_EQ(At(img, 2, 1), kWhite);  // ClearCanvas leaves a white pen
}

TEST(QtCanvas, ThinLinesLeaveOutTheirEndInTheDirectionOfDrawing) {
  QImage img = Blank(13, 4);
  {
    QtCanvas c(img);
    c.SetPenColor(kWhite);
    c.MoveTo(12, 0);  // right to left: the pixel at x 0 is the one left out
    c.LineTo(0, 0);
    c.SetPenStyle(PenStyle::Dot);
    c.MoveTo(0, 1);
    c.LineTo(13, 1);
    c.SetPenStyle(PenStyle::DashDot);
    c.MoveTo(0, 2);
    c.LineTo(13, 2);
    c.SetPenStyle(PenStyle::Solid);
    c.MoveTo(0, 3);  // shallow slope: halves round away from the start
    c.LineTo(12, 4);
  }
  EXPECT_EQ(Rows(img), (std::vector<std::string>{".############", "###...###...#", "#########....",
                                                 "######......."}));
}

TEST(QtCanvas, PenModesAreRasterOperations) {
  const Color bg = 0x204060;  // r 0x60, g 0x40, b 0x20
  const QRgb bgRgb = qRgb(0x60, 0x40, 0x20);
  struct Case {
    PenMode mode;
    Color expected;
  } cases[] = {
      {PenMode::Copy, kRed},
      {PenMode::Xor, bg ^ kRed},
      {PenMode::NotXor, ~(bg ^ kRed) & 0xFFFFFF},
      {PenMode::Not, ~bg & 0xFFFFFF},
  };
  for (const Case& k : cases) {
    QImage img = Blank(5, 3, bgRgb);
    {
      QtCanvas c(img);
      c.SetPenColor(kRed);
      c.SetPenMode(k.mode);
      c.MoveTo(0, 1);
      c.LineTo(4, 1);
      c.SetPixel(4, 1, kRed);  // SetPixel ignores the mode
    }
    EXPECT_EQ(At(img, 2, 1), k.expected) << int(k.mode);
    EXPECT_EQ(At(img, 4, 1), kRed) << int(k.mode);
    EXPECT_EQ(At(img, 2, 0), bg) << int(k.mode);
  }
  // The same XOR line twice leaves the picture as it was.
  QImage img = Blank(20, 20, bgRgb);
  {
    QtCanvas c(img);
    c.SetPenColor(kRed);
    c.SetPenMode(PenMode::Xor);
    for (int i = 0; i < 2; ++i) {
      c.MoveTo(1, 2);
      c.LineTo(17, 13);
      c.Arc(2, 2, 18, 18, 18, 10, 2, 10);
      c.Arc(5, 5, 8, 8, 8, 6, 8, 6);  // chords of one pixel
    }
  }
  EXPECT_EQ(img, Blank(20, 20, bgRgb));
}

// Which quadrants of a circle of radius 10 about (10, 10) hold lit pixels.
std::string Quadrants(const QImage& img) {
  bool lit[4] = {};  // upper right, upper left, lower left, lower right
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (!(img.pixel(x, y) & 0xFFFFFF)) continue;
      int dx = x - 10, dy = 10 - y;
      if (dx > 1 && dy > 1) lit[0] = true;
      if (dx < -1 && dy > 1) lit[1] = true;
      if (dx < -1 && dy < -1) lit[2] = true;
      if (dx > 1 && dy < -1) lit[3] = true;
    }
  }
  std::string s;
  for (bool b : lit)
    s += b ? '#' : '.';
  return s;
}

TEST(QtCanvas, ArcsRunCounterClockwiseFromStartRadialToEndRadial) {
  struct Case {
    int x1, y1, x2, y2;
    const char* quadrants;
  } cases[] = {
      {20, 10, 10, 0, "#..."},   // 0 → 90 degrees
      {10, 0, 20, 10, ".###"},   // 90 → 0: the long way round
      {20, 20, 20, 0, "#..#"},   // 315 → 45: through 0
      {0, 10, 20, 10, "..##"},   // 180 → 360: the lower half
      {20, 10, 20, 10, "####"},  // equal radials: the whole circle
      {14, 6, 12, 0, "#..."},    // radial points inside or outside the circle give directions
      {15, 5, 20, 0, "####"},    // two points on one radial: the whole circle
      {10, 10, 10, 0, "#..."},   // a radial of no length points along 0 degrees
  };
  for (const Case& k : cases) {
    QImage img = Blank(21, 21);
    {
      QtCanvas c(img);
      c.SetPenColor(kWhite);
      c.Arc(0, 0, 20, 20, k.x1, k.y1, k.x2, k.y2);
    }
    EXPECT_EQ(Quadrants(img), k.quadrants) << k.x1 << "," << k.y1 << " → " << k.x2 << "," << k.y2;
  }
  // The circle touches its bounding square's sides at the middle of each side.
  QImage img = Blank(21, 21);
  {
    QtCanvas c(img);
    c.SetPenColor(kWhite);
    c.Arc(0, 0, 20, 20, 20, 10, 20, 10);
  }
  for (auto [x, y] : {std::pair{0, 10}, {20, 10}, {10, 0}, {10, 20}}) {
    EXPECT_EQ(At(img, x, y), kWhite) << x << "," << y;
  }
  EXPECT_EQ(At(img, 10, 10), kBlack);
}

TEST(QtCanvas, ImagesOfOtherFormatsAreConvertedBeforeDrawing) {
  QImage img(8, 4, QImage::Format_RGB888);
  img.fill(Qt::black);
  {
    QtCanvas c(img);
    c.SetPenColor(kRed);
    c.MoveTo(0, 1);
    c.LineTo(8, 1);
    c.SetPixel(7, 3, kWhite);
  }
  EXPECT_EQ(img.format(), QImage::Format_RGB32);
  EXPECT_EQ(At(img, 7, 1), kRed);
  EXPECT_EQ(At(img, 7, 3), kWhite);
}

TEST(QtCanvas, HugeCoordinatesAreClippedNotHung) {
  QImage img = Blank(50, 50);
  {
    QtCanvas c(img);
    c.SetPenColor(kWhite);
    c.MoveTo(-1000000000, 25);
    c.LineTo(1000000000, 25);
    // A circle a billion pixels across whose left side runs down the middle of the canvas.
    c.Arc(25, -1000000000, 2000000025, 1000000000, 0, 0, 0, 0);
  }
  EXPECT_EQ(At(img, 0, 25), kWhite);
  EXPECT_EQ(At(img, 49, 25), kWhite);
  EXPECT_EQ(At(img, 25, 5), kWhite);
  EXPECT_EQ(At(img, 25, 45), kWhite);
}

// Bounding box of the lit pixels.
QRect LitBox(const QImage& img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      if (img.pixel(x, y) & 0xFFFFFF) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

TEST(QtCanvas, FontsHaveTheCellHeightAverageWidthAndRotation) {
  QImage img = Blank(200, 200);
  QtCanvas c(img);
  ASSERT_FALSE(c.GetFont().faceName.empty());
  FontDesc f = c.GetFont();
  f.height = 40;
  c.SetFont(f);
  c.SetFontColor(kWhite);
  int natural = c.TextWidth("平面図");
  EXPECT_GT(natural, 60);
  EXPECT_LT(natural, 150);
  c.TextOut(20, 30, "平面図");
  QRect box = LitBox(img);
  EXPECT_GE(box.top(), 30);  // the glyphs sit inside the 40-pixel cell below the corner
  EXPECT_LE(box.bottom(), 70);
  EXPECT_GE(box.left(), 20);
  EXPECT_GT(box.height(), 20);  // real glyphs, not boxes or nothing

  // The average width stretches the text: twice the width, about twice as long.
  f.width = 10;
  c.SetFont(f);
  int narrow = c.TextWidth("ABCDEFGH");
  f.width = 20;
  c.SetFont(f);
  int wide = c.TextWidth("ABCDEFGH");
  EXPECT_NEAR(double(wide) / narrow, 2.0, 0.15);
  EXPECT_NEAR(narrow, 80, 20);
  // ... and the glyphs themselves are drawn that much wider, not only spaced apart.
  auto inkWidth = [&](int width) {
    img.fill(Qt::black);
    f.width = width;
    c.SetFont(f);
    c.TextOut(0, 0, "OOOO");
    return LitBox(img).width();
  };
  EXPECT_NEAR(double(inkWidth(20)) / inkWidth(10), 2.0, 0.15);

  // 90 degrees: the text runs upwards from its corner, its cell to the right of it... turned,
  // so the glyphs lie above the corner and to its right.
  img.fill(Qt::black);
  f.width = 0;
  f.escapement = 900;
  c.SetFont(f);
  c.TextOut(100, 180, "ABC");
  box = LitBox(img);
  EXPECT_LE(box.bottom(), 180);
  EXPECT_GE(box.left(), 100);
  EXPECT_LE(box.right(), 140);
  EXPECT_GT(box.height(), box.width());
}

TEST(QtCanvas, FontsAreMadeForExactSmallCellsAndStepsAboveThem) {
  std::set<int> made;
  int previous = 0;
  const int largest = QtCanvas::RealizedCell(32767);
  EXPECT_GT(largest, 15000);
  for (int cell = 1; cell <= 32767; ++cell) {
    const int real = QtCanvas::RealizedCell(cell);
    if (cell <= 64) EXPECT_EQ(real, cell);
    EXPECT_LE(real, cell);
    EXPECT_GE(real, previous) << cell;
    // Never scaled by more than a step, but beyond the largest font.
    if (real < largest) EXPECT_LT(double(cell) / real, 1.05) << cell;
    previous = real;
    made.insert(real);
  }
  // Every cell height of one face fits the cache at once.
  EXPECT_LE(made.size(), QtCanvas::kFontCacheSize);
}

TEST(QtCanvas, TextsOfThousandsOfHeightsMakeEachFontOnce) {
  QImage img = Blank(64, 64);
  QtCanvas c(img);
  FontDesc f = c.GetFont();
  size_t afterFirstPass = 0;
  for (int pass = 0; pass < 2; ++pass) {
    for (int cell = 2; cell <= 3000; ++cell) {
      f.height = cell;
      f.width = cell / 3;
      c.SetFont(f);
      EXPECT_GT(c.TextWidth("AB"), 0);
    }
    if (pass == 0) afterFirstPass = c.FontsMade();
  }
  EXPECT_LE(afterFirstPass, QtCanvas::kFontCacheSize);
  EXPECT_EQ(c.FontsMade(), afterFirstPass);  // the second pass finds every font
  EXPECT_LE(c.FontCount(), QtCanvas::kFontCacheSize);
}

TEST(QtCanvas, TheFontCacheKeepsTheFontsUsedLast) {
  QImage img = Blank(16, 16);
  QtCanvas c(img);
  FontDesc f = c.GetFont();
  const std::string defaultFace = f.faceName;
  f.height = 12;
  auto use = [&](size_t face) {
    f.faceName = face == 0 ? defaultFace : "Kestrel Test Face " + std::to_string(face);
    c.SetFont(f);
    c.TextWidth("A");
  };
  const size_t n = QtCanvas::kFontCacheSize + 20;
  for (size_t face = 0; face < n; ++face)
    use(face);
  EXPECT_EQ(c.FontCount(), QtCanvas::kFontCacheSize);
  EXPECT_EQ(c.FontsMade(), n);
  for (size_t face = n - QtCanvas::kFontCacheSize; face < n; ++face)
    use(face);  // all held
  EXPECT_EQ(c.FontsMade(), n);
  use(0);  // the first one was let go
  EXPECT_EQ(c.FontsMade(), n + 1);
  EXPECT_EQ(c.FontCount(), QtCanvas::kFontCacheSize);
}

TEST(QtCanvas, TextsOfMoreHeightsThanTheCacheHoldsAreEachDrawnAtTheirOwnSize) {
  QImage img = Blank(400, 400);
  QtCanvas c(img);
  FontDesc f = c.GetFont();
  c.SetFontColor(kWhite);
  // A black square in cell heights from 2 to 30,000 pixels, its middle on the canvas's.
  int drawn = 0, cells = 0;
  for (double h = 2; h <= 30000; h *= 1.02) {
    f.height = int(h);
    c.SetFont(f);
    const int w = c.TextWidth("■");
    img.fill(Qt::black);
    c.TextOut(200 - w / 2, 200 - f.height / 2, "■");
    drawn += (img.pixel(200, 200) & 0xFFFFFF) != 0;
    ++cells;
  }
  EXPECT_GT(cells, int(QtCanvas::kFontCacheSize));
  EXPECT_EQ(drawn, cells);

  // Two cells that share a font are still drawn at their own heights.
  auto inkHeight = [&](int cell) {
    f.height = cell;
    c.SetFont(f);
    img.fill(Qt::black);
    c.TextOut(10, 20, "■");
    return LitBox(img).height();
  };
  const int low = QtCanvas::RealizedCell(300);
  int high = low;
  while (QtCanvas::RealizedCell(high + 1) == low)
    ++high;
  ASSERT_GT(double(high) / low, 1.03);
  EXPECT_NEAR(double(inkHeight(high)) / inkHeight(low), double(high) / low, 0.01);
  EXPECT_NEAR(double(inkHeight(300)) / inkHeight(150), 2.0, 0.02);
}

}  // namespace
}  // namespace kestrel::render
