// Whole drawings through the Qt canvas: every corpus DXF, and records holding hostile numbers.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

#include "dxf/DxfReader.h"
#include "dxf/PostProcess.h"
#include "render/QtCanvas.h"
#include "render/Renderer.h"

namespace kestrel::render {
namespace {

int LitPixels(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x)
      n += (img.pixel(x, y) & 0xFFFFFF) != 0;
  }
  return n;
}

// As given (all drawn), then zoomed in on the middle (visibility tests), then in quick mode.
int DrawThreeWays(dxf::Drawing& d, QImage& img, ViewState v) {
  int drawn = 0;
  QtCanvas c(img);
  for (int pass = 0; pass < 3; ++pass) {
    DrawOptions o = DrawOptions::ForCanvas(img.width(), img.height());
    o.drawAll = pass == 0;
    o.quick = pass == 2;
    ClearCanvas(c, img.width(), img.height(), kBlack);
    drawn += DrawDrawing(c, d, v, o);
    DrawViewFrame(c, img.width(), img.height());
    v.ViewWidth /= 8;
    v.ViewHeight /= 8;
  }
  return drawn;
}

TEST(DrawCorpus, EveryDxfDrawsWithoutCrashing) {
  std::filesystem::path dir = std::filesystem::path(KESTREL_CORPUS_DIR) / "dxf";
  if (!std::filesystem::exists(dir)) GTEST_SKIP() << "no corpus at " << dir;
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    dxf::Drawing d;
    dxf::ReadDxfFile(d, entry.path(), TextEncoding::Ansi);
    if (!dxf::PostProcessDrawing(d)) continue;
    NormalizeArcEnds(d);
    QImage img(320, 240, QImage::Format_RGB32);
    DrawThreeWays(d, img, FitView(d.DrawingExtents));
    ++files;
  }
  EXPECT_GT(files, 30);
  // One drawing looked at closely: its picture is not empty.
  dxf::Drawing d;
  dxf::ReadDxfFile(d, dir / "qcad_examples_flange.dxf", TextEncoding::Ansi);
  ASSERT_TRUE(dxf::PostProcessDrawing(d));
  NormalizeArcEnds(d);
  QImage img(320, 240, QImage::Format_RGB32);
  EXPECT_GT(DrawThreeWays(d, img, FitView(d.DrawingExtents)), 500);
}

TEST(DrawCorpus, HostileNumbersNeitherCrashNorHang) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {0, -0.0, 1e-300, 1e300, -1e300, inf, -inf, nan, 123.456};
  dxf::Drawing d;
  d.LayerAry.resize(1);
  for (double a : values) {
    for (double b : values) {
      dxf::TAcadLineBlk l;
      l.st = {a, b, 0};
      l.ed = {b, a, 0};
      l.PenColor = 0xFFFFFF;
      d.LineAry.push_back(l);
      dxf::TCircleBlk c;
      c.center = {a, 1, 0};
      c.hankei = b;
      d.CircleAry.push_back(c);
      dxf::TArcBlk r;
      r.center = {1, a, 0};
      r.hankei = std::fabs(b);
      r.st = a;
      r.ed = b;
      d.ArcAry.push_back(r);
      dxf::TTextBlk t;
      t.str = "文字%%c";
      t.pt10 = {a, b, 0};
      t.pt11 = {b, a, 0};
      t.code40 = std::fabs(a);
      t.code41 = b;
      t.code44 = a;
      t.code50 = b;
      t.code72 = 5;
      t.mtflag = a == 123.456;
      d.TextAry.push_back(t);
    }
  }
  QImage img(200, 100, QImage::Format_RGB32);
  int drawn = 0;
  for (double w : values) {
    ViewState v;
    v.ViewWidth = w;
    v.ViewHeight = 1;
    drawn += DrawThreeWays(d, img, v);
  }
  EXPECT_GT(drawn, 0);
}

TEST(DrawCorpus, AHugeCircleSeenCloseUpIsDrawnWhereItCrossesTheView) {
  dxf::Drawing d;
  dxf::TCircleBlk c;
  c.center = {0, -1e6, 0};
  c.hankei = 1e6;  // its top passes through the view's centre
  c.PenColor = 0xFFFFFF;
  d.CircleAry.push_back(c);
  ViewState v;
  v.ViewWidth = 36;  // 10 pixels per unit in 400 × 300: the circle is 2e7 pixels across
  v.ViewHeight = 27;
  QImage img(400, 300, QImage::Format_RGB32);
  img.fill(Qt::black);
  {
    QtCanvas canvas(img);
    DrawOptions o = DrawOptions::ForCanvas(400, 300);
    EXPECT_EQ(DrawDrawing(canvas, d, v, o), 1);
  }
  // Nearly straight across the middle row.
  EXPECT_EQ(img.pixel(0, 150) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(200, 150) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(399, 150) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_GE(LitPixels(img), 399);
  EXPECT_LE(LitPixels(img), 402);
}

// Lit pixels of row `y`.
int LitInRow(const QImage& img, int y) {
  int n = 0;
  for (int x = 0; x < img.width(); ++x)
    n += (img.pixel(x, y) & 0xFFFFFF) != 0;
  return n;
}

TEST(DrawCorpus, DrawingsReachingTheLargestDoublesAreDrawnFitted) {
  const double max = std::numeric_limits<double>::max();
  auto line = [](TAcadPoint a, TAcadPoint b) {
    dxf::TAcadLineBlk l;
    l.layer = "0";
    l.st = a;
    l.ed = b;
    l.PenColor = 0xFFFFFF;
    return l;
  };
  struct Case {
    const char* what;
    std::vector<dxf::TAcadLineBlk> lines;
    std::vector<dxf::TCircleBlk> circles;
    int row;      // a row that must be lit across the canvas, or -1
    int minimum;  // lit pixels at least
  };
  dxf::TCircleBlk far;
  far.layer = "0";
  far.center = {1e308, 0, 0};
  far.hankei = 1e308;  // its right side lies beyond the largest double
  far.PenColor = 0xFFFFFF;
  const Case cases[] = {
      {"a line across nearly all doubles", {line({-1e308, 0, 0}, {1e308, 0, 0})}, {}, 150, 398},
      {"a diagonal over every double", {line({-max, -max, 0}, {max, max, 0})}, {}, -1, 280},
      {"a small square and one far point",
       {line({0, 0, 0}, {10, 0, 0}), line({10, 0, 0}, {10, 10, 0}), line({10, 10, 0}, {0, 10, 0}),
        line({0, 10, 0}, {0, 0, 0}), line({5, 5, 0}, {1.7e308, 1.7e308, 0})},
       {},
       -1,
       250},
      {"a circle beyond the doubles and a short line",
       {line({0, 0, 0}, {1, 1, 0})},
       {far},
       -1,
       300},
  };
  for (const Case& c : cases) {
    dxf::Drawing d;
    d.LayerAry.resize(1);
    d.LayerAry[0].Name = "0";
    d.LineAry = c.lines;
    d.CircleAry = c.circles;
    dxf::ComputeExtents(d);
    const ViewState v = FitView(d.DrawingExtents);
    for (bool drawAll : {true, false}) {
      QImage img(400, 300, QImage::Format_RGB32);
      img.fill(Qt::black);
      {
        QtCanvas canvas(img);
        DrawOptions o = DrawOptions::ForCanvas(400, 300);
        o.drawAll = drawAll;
        EXPECT_EQ(DrawDrawing(canvas, d, v, o), int(c.lines.size() + c.circles.size())) << c.what;
      }
      EXPECT_GE(LitPixels(img), c.minimum) << c.what << (drawAll ? "" : ", with the tests");
      if (c.row >= 0) EXPECT_GE(LitInRow(img, c.row), 398) << c.what;
    }
  }
}

}  // namespace
}  // namespace kestrel::render
