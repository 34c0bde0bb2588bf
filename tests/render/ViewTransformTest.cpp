#include <gtest/gtest.h>

#include "dxf/Geometry.h"
#include "render/ViewTransform.h"

namespace kestrel::render {
namespace {

ViewState View(double cx, double cy, double w, double h) {
  ViewState v;
  v.ViewCenter = {cx, cy, 0};
  v.ViewWidth = w;
  v.ViewHeight = h;
  return v;
}

TEST(ViewScale, FitsTheBoxByItsTighterSide) {
  struct Case {
    double w, h;
    int cw, ch;
    double s;
  } cases[] = {
      {100, 10, 400, 300, 100.0 / 400 / 0.9},   // wide: fitted by the width
      {10, 100, 400, 300, 100.0 / 300 / 0.9},   // tall: fitted by the height
      {400, 300, 400, 300, 400.0 / 400 / 0.9},  // same proportions: by the width
      {0, 0, 400, 300, 1 / 0.9},                // nothing to fit
      {-5, 10, 400, 300, 10.0 / 300 / 0.9},     // only the height is above 0
      // A single horizontal or vertical line is fitted by its length, not drawn at 1/0.9.
      {100, 0, 400, 300, 100.0 / 400 / 0.9},
      {0, 100, 400, 300, 100.0 / 300 / 0.9},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(ViewScale(View(0, 0, c.w, c.h), c.cw, c.ch), c.s) << c.w << " x " << c.h;
  }
}

TEST(WorldToScreen, RoundsTiesToEvenAndFlipsY) {
  ScreenPoint o{200, 150};
  EXPECT_EQ(WorldToScreen({0.5, 0.5, 0}, 1, o), (ScreenPoint{200, 150}));
  EXPECT_EQ(WorldToScreen({1.5, -1.5, 0}, 1, o), (ScreenPoint{202, 152}));
  EXPECT_EQ(WorldToScreen({-2.5, 2.5, 7}, 1, o), (ScreenPoint{198, 148}));
  EXPECT_EQ(WorldToScreen({10, 10, 0}, 4, o), (ScreenPoint{202, 148}));  // 2.5 → 2
  // Hostile coordinates stay inside int.
  ScreenPoint far = WorldToScreen({1e300, -1e300, 0}, 1e-3, o);
  EXPECT_EQ(far, (ScreenPoint{1000000200, 1000000150}));
  EXPECT_EQ(WorldToScreen({std::nan(""), 0, 0}, 1, o), (ScreenPoint{200, 150}));
}

TEST(RoundHalfEven, AgreesWithNearbyint) {
  // Ties, their neighbours, and magnitudes beyond the ±1e9 that RoundPixel keeps to.
  for (double v : {0.0, -0.0, 0.5, -0.5, 1.5, -1.5, 2.5, -7.25, 3.7e-300, 0.49999999999999994,
                   0.5000000000000001, 1e9 - 0.5, -1e9 + 0.5, 0x1p50 + 0.5}) {
    EXPECT_EQ(RoundHalfEven(v), std::nearbyint(v)) << v;
  }
}

TEST(ScreenToWorld, InvertsTheTransform) {
  // A drawing 100 wide and 10 high in 400 × 300: its middle lands on pixel (200, 150).
  ViewState v = View(50, 5, 100, 10);
  double s = ViewScale(v, 400, 300);
  EXPECT_EQ(WorldToScreen(dxf::SubPointXY({50, 5, 0}, v.ViewCenter), s, {200, 150}),
            (ScreenPoint{200, 150}));
  TAcadPoint p = ScreenToWorld({200, 150}, 400, 300, v);
  EXPECT_DOUBLE_EQ(p.x, 50);
  EXPECT_DOUBLE_EQ(p.y, 5);
  p = ScreenToWorld({0, 0}, 400, 300, v);
  EXPECT_DOUBLE_EQ(p.x, 50 - 200 * s);
  EXPECT_DOUBLE_EQ(p.y, 5 + 150 * s);
  // An odd height: the y term uses H − H div 2 = 151.
  p = ScreenToWorld({0, 0}, 400, 301, v);
  EXPECT_DOUBLE_EQ(p.y, 5 + 151 * ViewScale(v, 400, 301));
  // Only the width above 0: fitted by the width too (s = 90 / 400 / 0.9, not 1 / 0.9).
  p = ScreenToWorld({400, 150}, 400, 300, View(0, 0, 90, 0));
  EXPECT_DOUBLE_EQ(p.x, 50);
  EXPECT_EQ(ScreenToWorld({17, 3}, 400, 300, View(8, 9, 0, 0)), (TAcadPoint{0, 0, 0}));
}

TEST(ViewState, FitsTheExtents) {
  ViewState v = FitView({{-10, 2, 0}, {30, 12, 0}});
  EXPECT_EQ(v.ViewCenter, (TAcadPoint{10, 7, 0}));
  EXPECT_EQ(v.ViewWidth, 40);
  EXPECT_EQ(v.ViewHeight, 10);
  EXPECT_EQ(v.ZoomFactor, 0.9);
  EXPECT_EQ(v.ColorMode, 0);
}

TEST(InvertColor, IgnoresTheTopByte) {
  EXPECT_EQ(InvertColor(0x000000), 0xFFFFFFu);
  EXPECT_EQ(InvertColor(0xFFFFFF), 0x000000u);
  EXPECT_EQ(InvertColor(0x12345678), 0xCBA987u);
}

}  // namespace
}  // namespace kestrel::render
