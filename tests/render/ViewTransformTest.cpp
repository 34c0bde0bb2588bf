#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

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

TEST(ViewState, FarExtentsGiveAFiniteViewThatHoldsThem) {
  const double max = std::numeric_limits<double>::max();
  const dxf::TBox cases[] = {
      {{-1e308, 0, 0}, {1e308, 0, 0}},           // wider than the largest double
      {{-max, -max, 0}, {max, max, 0}},          // every double
      {{1e308, 1.5e308, 0}, {1.7e308, max, 0}},  // the sum of the sides overflows
      {{-max, 5, 0}, {-max / 2, 7, 0}},
      {{0, 0, 0}, {10, 10, 0}},  // a small drawing, and one far point
      {{0, 0, 0}, {max, 10, 0}},
      {{-1e-300, -1e-300, 0}, {1e-300, 1e-300, 0}},
  };
  for (const dxf::TBox& e : cases) {
    const ViewState v = FitView(e);
    SCOPED_TRACE(testing::Message() << e.lowerLeft.x << " " << e.lowerLeft.y << " - "
                                    << e.upperRight.x << " " << e.upperRight.y);
    EXPECT_TRUE(std::isfinite(v.ViewCenter.x) && std::isfinite(v.ViewCenter.y));
    EXPECT_TRUE(std::isfinite(v.ViewWidth) && std::isfinite(v.ViewHeight));
    for (auto [w, h] : {std::pair{800, 600}, {1, 1}, {5000, 5000}}) {
      const double s = ViewScale(v, w, h);
      EXPECT_TRUE(std::isfinite(s) && s > 0) << w << " x " << h << ": " << s;
      const ViewWindow win = VisibleWindow(v, s, w, h);
      EXPECT_TRUE(std::isfinite(win.minx) && std::isfinite(win.maxx) && std::isfinite(win.miny) &&
                  std::isfinite(win.maxy));
      EXPECT_TRUE(std::isfinite(ScreenToWorld({0, 0}, w, h, v).x));
      // The corners of the extents land on the canvas. A side longer than the largest double
      // was held at it, up to half as long: there they land up to half the canvas beyond.
      const bool held =
          std::isinf(e.upperRight.x - e.lowerLeft.x) || std::isinf(e.upperRight.y - e.lowerLeft.y);
      const int mx = held ? w / 2 + 1 : 0, my = held ? h / 2 + 1 : 0;
      for (const TAcadPoint& corner : {e.lowerLeft, e.upperRight}) {
        const ScreenPoint p =
            WorldToScreen(dxf::SubPointXY(corner, v.ViewCenter), s, {w / 2, h / 2});
        EXPECT_GE(p.x, -mx);
        EXPECT_LE(p.x, w + mx);
        EXPECT_GE(p.y, -my);
        EXPECT_LE(p.y, h + my);
      }
    }
    EXPECT_TRUE(ViewIsUsable(v, 800, 600));
  }
  // The middle of a box whose sides are each beyond half the largest double.
  EXPECT_EQ(FitView({{1e308, 0, 0}, {1.5e308, 0, 0}}).ViewCenter.x, 1.25e308);
  EXPECT_EQ(FitView({{-1e308, 0, 0}, {1e308, 0, 0}}).ViewWidth, max);
}

TEST(ViewState, ChangesToAnUnusableViewAreNotApplied) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double tiny = std::numeric_limits<double>::denorm_min();
  struct Case {
    const char* what;
    ViewState changed;
    bool applied;
  };
  auto zoomed = [](double zoom) {
    ViewState v = View(0, 0, 10, 10);
    v.ZoomFactor = zoom;
    return v;
  };
  const Case cases[] = {
      {"an ordinary zoom", View(3, 4, 20, 15), true},
      {"a single horizontal line", View(0, 0, 20, 0), true},
      {"the whole range of doubles", View(0, 0, 1.7e308, 1.7e308), true},
      {"no size", View(3, 4, 0, 0), false},
      {"an infinite width", View(0, 0, inf, 10), false},
      {"a width that is not a number", View(0, 0, nan, 10), false},
      {"a centre that is not a number", View(nan, 0, 10, 10), false},
      {"an infinite centre", View(0, -inf, 10, 10), false},
      {"a scale that rounds to zero", View(0, 0, tiny, tiny), false},
      {"no zoom", zoomed(0), false},
      {"an infinite zoom", zoomed(inf), false},
  };
  for (const Case& c : cases) {
    ViewState view = View(1, 2, 30, 40);
    EXPECT_EQ(ApplyViewChange(view, c.changed, 800, 600), c.applied) << c.what;
    const ViewState expected = c.applied ? c.changed : View(1, 2, 30, 40);
    EXPECT_EQ(view.ViewCenter, expected.ViewCenter) << c.what;
    EXPECT_EQ(view.ViewWidth, expected.ViewWidth) << c.what;
    EXPECT_EQ(view.ViewHeight, expected.ViewHeight) << c.what;
  }
}

TEST(InvertColor, IgnoresTheTopByte) {
  EXPECT_EQ(InvertColor(0x000000), 0xFFFFFFu);
  EXPECT_EQ(InvertColor(0xFFFFFF), 0x000000u);
  EXPECT_EQ(InvertColor(0x12345678), 0xCBA987u);
}

}  // namespace
}  // namespace kestrel::render
