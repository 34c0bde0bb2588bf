#include <gtest/gtest.h>

#include <limits>

#include "dxf/Geometry.h"
#include "render/RecordingCanvas.h"
#include "render/Renderer.h"

namespace kestrel::render {
namespace {

using dxf::Drawing;
using dxf::TAcadLineBlk;
using dxf::TArcBlk;
using dxf::TCircleBlk;
using dxf::TTextBlk;
using K = CanvasCall;

constexpr Color kRed = 0x0000FF, kBlue = 0xFF0000;

// 400 × 300 pixels at one world unit per pixel, centred on the world origin.
ViewState UnitView() {
  ViewState v;
  v.ViewWidth = 360;
  v.ViewHeight = 270;
  return v;
}

DrawOptions Options(bool drawAll = true, bool quick = false) {
  DrawOptions o = DrawOptions::ForCanvas(400, 300);
  o.drawAll = drawAll;
  o.quick = quick;
  return o;
}

Drawing WithLayers() {
  Drawing d;
  d.LayerAry.resize(2);
  d.LayerAry[0].Name = "0";
  d.LayerAry[1].Name = "Frozen";
  d.LayerAry[1].visible = false;
  return d;
}

TAcadLineBlk Line(TAcadPoint a, TAcadPoint b, Color color = kRed) {
  TAcadLineBlk l;
  l.st = a;
  l.ed = b;
  l.PenColor = color;
  return l;
}

TCircleBlk Circle(TAcadPoint c, double r) {
  TCircleBlk k;
  k.center = c;
  k.hankei = r;
  k.PenColor = kRed;
  return k;
}

TArcBlk Arc(TAcadPoint c, double r, double st, double ed) {
  TArcBlk a;
  a.center = c;
  a.hankei = r;
  a.st = st;
  a.ed = ed;
  a.PenColor = kRed;
  return a;
}

std::vector<std::string> Shapes(const RecordingCanvas& c) {
  return c.Log({K::MoveTo, K::LineTo, K::Arc, K::Pixel, K::TextOut});
}

TEST(DrawDrawing, ZeroSizedViewDrawsNothing) {
  Drawing d = WithLayers();
  d.LineAry.push_back(Line({0, 0, 0}, {1, 1, 0}));
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, ViewState{}, Options()), 0);
  ViewState zoomless = UnitView();
  zoomless.ZoomFactor = 0;
  EXPECT_EQ(DrawDrawing(c, d, zoomless, Options()), 0);
  EXPECT_TRUE(c.Calls().empty());
}

TEST(DrawDrawing, LinesLandOnExactPixelsWithPensSetOnlyWhenTheyChange) {
  // A drawing 100 wide and 10 high in 400 × 300: s = 100 / 400 / 0.9.
  Drawing d = WithLayers();
  d.LineAry.push_back(Line({0, 0, 0}, {100, 10, 0}));
  d.LineAry.push_back(Line({0, 10, 0}, {100, 0, 0}));
  d.LineAry.push_back(Line({50, 0, 0}, {50, 10, 0}, kBlue));
  d.LineAry.back().PenStyle = 3;
  ViewState v;
  v.ViewCenter = {50, 5, 0};
  v.ViewWidth = 100;
  v.ViewHeight = 10;
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, v, Options()), 3);
  EXPECT_EQ(c.Log(), (std::vector<std::string>{"PenColor 0000FF", "MoveTo 20 168", "LineTo 380 132",
                                               "MoveTo 20 132", "LineTo 380 168", "PenColor FF0000",
                                               "PenStyle 3", "MoveTo 200 168", "LineTo 200 132"}));
}

TEST(DrawDrawing, SkipsHiddenRecordsAndInvertsTheBackgroundColour) {
  Drawing d = WithLayers();
  auto add = [&](int layindex, int code60, int code67, Color color = kRed) {
    d.LineAry.push_back(Line({0, 0, 0}, {10, 0, 0}, color));
    d.LineAry.back().layindex = int16_t(layindex);
    d.LineAry.back().code60 = int16_t(code60);
    d.LineAry.back().code67 = int16_t(code67);
  };
  add(1, 0, 0);           // frozen or switched-off layer
  add(0, 1, 0);           // invisible
  add(0, 0, 1);           // paper space
  add(0, 0, -1);          // replaced by lines in post-processing
  add(-1, 0, 0, kBlack);  // layer not found: drawn; black on black: drawn white
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, UnitView(), Options()), 1);
  EXPECT_EQ(c.Log(),
            (std::vector<std::string>{"PenColor FFFFFF", "MoveTo 200 150", "LineTo 210 150"}));
}

TEST(DrawDrawing, QuickModeDrawsEverySecondRecordAndNoText) {
  Drawing d = WithLayers();
  for (int i = 0; i < 5; ++i)
    d.LineAry.push_back(Line({0, double(i), 0}, {9, double(i), 0}));
  for (int i = 0; i < 3; ++i)
    d.CircleAry.push_back(Circle({double(10 * i), 0, 0}, 5));
  for (int i = 0; i < 3; ++i)
    d.ArcAry.push_back(Arc({double(10 * i), 0, 0}, 5, 0, 90));
  TTextBlk t;
  t.str = "A";
  t.code40 = 10;
  d.TextAry.push_back(t);
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, UnitView(), Options(true, true)), 7);
  EXPECT_EQ(Shapes(c),
            (std::vector<std::string>{
                "MoveTo 200 150", "LineTo 209 150", "MoveTo 200 148", "LineTo 209 148",
                "MoveTo 200 146", "LineTo 209 146", "Arc 195 145 205 155 205 150 205 150",
                "Arc 215 145 225 155 225 150 225 150", "Arc 195 145 205 155 205 150 200 145",
                "Arc 215 145 225 155 225 150 220 145"}));
  EXPECT_EQ(DrawDrawing(c, d, UnitView(), Options(true, false)), 12);
  EXPECT_EQ(c.CallsOf(K::TextOut).size(), 1u);
}

TEST(DrawDrawing, ArcsThroughZeroShortArcsAndTinyCircles) {
  Drawing d = WithLayers();
  d.ArcAry.push_back(Arc({0, 0, 0}, 100, 350, 10));   // through 0 degrees
  d.ArcAry.push_back(Arc({0, 0, 0}, 100, 10, 10.5));  // half a degree: a straight line
  d.CircleAry.push_back(Circle({10, 20, 0}, 0.4));    // under a pixel: one pixel
  NormalizeArcEnds(d);
  EXPECT_EQ(d.ArcAry[0].ed, 370);  // once, when the drawing is loaded
  EXPECT_EQ(d.ArcAry[1].ed, 10.5);
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, UnitView(), Options()), 3);
  EXPECT_EQ(Shapes(c),
            (std::vector<std::string>{"Pixel 210 130 0000FF", "Arc 100 50 300 250 298 167 298 133",
                                      "MoveTo 298 133", "LineTo 298 132"}));
  // The drawing is only read: a second redraw asks for exactly the same.
  const std::vector<std::string> first = Shapes(c);
  c.Clear();
  DrawDrawing(c, d, UnitView(), Options());
  EXPECT_EQ(Shapes(c), first);
  EXPECT_EQ(d.ArcAry[0].ed, 370);
}

TEST(DrawArc, EndsOnOnePixelMakeOnePixelOnlyOnATinyCircle) {
  LinePen pen{1, kRed, PenStyle::Solid};
  RecordingCanvas c;
  // A circle about a pixel across: a 5-degree arc whose ends share a pixel is that pixel.
  DrawArc(c, {0.3, 0.3, 0}, 0.6, 0, 5 * dxf::kDegToRad, 1, {200, 150}, pen);
  // A nearly full arc of a large circle has its ends on one pixel too: it is drawn whole.
  DrawArc(c, {0, 0, 0}, 100, 0.001 * dxf::kDegToRad, dxf::kTwoPi, 1, {200, 150}, pen);
  // A full circle: equal angles.
  DrawArc(c, {0, 0, 0}, 100, 0, 0, 1, {200, 150}, pen);
  EXPECT_EQ(Shapes(c),
            (std::vector<std::string>{"Pixel 200 150 0000FF", "Arc 100 50 300 250 300 150 300 150",
                                      "Arc 100 50 300 250 300 150 300 150"}));
}

TEST(DrawDrawing, VisibilityTestsSkipOnlyWhatIsOutOfView) {
  Drawing d = WithLayers();
  d.LineAry.push_back(Line({300, 0, 0}, {400, 0, 0}));   // right of the view
  d.LineAry.push_back(Line({-300, 0, 0}, {300, 0, 0}));  // crosses it
  d.CircleAry.push_back(Circle({0, 400, 0}, 100));       // above it
  d.CircleAry.push_back(Circle({0, 260, 0}, 120));       // its bottom dips into the view
  d.ArcAry.push_back(Arc({0, 400, 0}, 100, 0, 180));
  TTextBlk t;
  t.str = "far";
  t.code40 = 10;
  t.pt10 = {1000, 1000, 0};
  d.TextAry.push_back(t);
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, UnitView(), Options(false)), 2);
  EXPECT_EQ(Shapes(c), (std::vector<std::string>{"MoveTo -100 150", "LineTo 500 150",
                                                 "Arc 80 -230 320 10 320 -110 320 -110"}));
}

TEST(LineInWindow, FarEndsAreTestedWithoutOverflow) {
  const double max = std::numeric_limits<double>::max();
  const ViewWindow unit{0, 0, 1, 1}, beside{1e307, 0, 1.1e307, 1e306},
      huge{-1e308, -1e308, 1e308, 1e308};
  struct Case {
    TAcadPoint a, b;
    ViewWindow w;
    bool visible;
  } cases[] = {
      {{-1e308, 0.5, 0}, {1e308, 0.5, 0}, unit, true},     // straight through
      {{-1e308, 5, 0}, {1e308, 5, 0}, unit, false},        // above it
      {{-max, -max, 0}, {max, max, 0}, unit, true},        // the diagonal through it
      {{-max, -max, 0}, {max, max, 0}, beside, false},     // the diagonal passes beside it
      {{-1.7e308, 0, 0}, {1.7e308, 0, 0}, huge, true},     // both ends beyond the window
      {{-1.7e308, 1.5e308, 0}, {0, max, 0}, huge, false},  // above it
      {{0.5, 0.5, 0}, {1e300, 1e300, 0}, unit, true},      // from inside to far out
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineInWindow(Line(c.a, c.b), c.w), c.visible)
        << c.a.x << " " << c.a.y << " - " << c.b.x << " " << c.b.y;
  }
}

TEST(DrawDrawing, AnArcSeenCloseUpStaysVisibleOnEveryRedraw) {
  // Only the rightmost bit of the arc, around angle 0, is in view; neither its centre nor its
  // ends are; its end angle is raised to 370 at load.
  Drawing d = WithLayers();
  d.ArcAry.push_back(Arc({-100, 0, 0}, 100, 350, 10));
  d.ArcAry.push_back(Arc({0, -1000, 0}, 1000.05, 80, 100));  // the view lies inside its box
  ViewState v;
  v.ViewWidth = 1;
  v.ViewHeight = 0.75;
  NormalizeArcEnds(d);
  EXPECT_EQ(d.ArcAry[0].ed, 370);
  RecordingCanvas c;
  EXPECT_EQ(DrawDrawing(c, d, v, Options(false)), 2);
  EXPECT_EQ(DrawDrawing(c, d, v, Options(false)), 2);
}

TEST(CanvasRoutines, ClearAndFrame) {
  RecordingCanvas c;
  ClearCanvas(c, 40, 30, kBlack);
  DrawViewFrame(c, 40, 30);
  EXPECT_EQ(c.Log(), (std::vector<std::string>{
                         "BrushStyle 0", "BrushColor 000000", "PenColor 000000", "PenMode 0",
                         "Rectangle 0 0 40 30", "PenColor FFFFFF", "PenColor FFFF00", "MoveTo 0 0",
                         "LineTo 39 0", "LineTo 39 29", "LineTo 0 29", "LineTo 0 0"}));
}

}  // namespace
}  // namespace kestrel::render
