#include "dxf/Geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrel::dxf {
namespace {

void ExpectNear(const TAcadPoint& a, const TAcadPoint& b, double tolerance = 1e-12) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(Geometry, PolarPointIsExactAtRightAngles) {
  const TAcadPoint c{1, 1, 5};
  EXPECT_EQ(PolarPoint(c, kHalfPi, 2), (TAcadPoint{1, 3, 5}));
  EXPECT_EQ(PolarPoint(c, 0, 2), (TAcadPoint{3, 1, 5}));
  EXPECT_EQ(PolarPoint(c, kPi, 2), (TAcadPoint{-1, 1, 5}));
  EXPECT_EQ(PolarPoint(c, kThreeHalfPi, 2), (TAcadPoint{1, -1, 5}));
  EXPECT_EQ(PolarPoint(c, kHalfPi, -2), (TAcadPoint{1, -1, 5}));
  // One step past π/2 goes through cosine and sine.
  const double next = std::nextafter(kHalfPi, 4.0);
  const TAcadPoint p = PolarPoint(c, next, 2);
  EXPECT_EQ(p.x, 1 + 2 * std::cos(next));
  EXPECT_NE(p.x, 1);
}

TEST(Geometry, Angle2D) {
  struct Case {
    TAcadPoint p, q;
    double angle;
  };
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 0}, kThreeHalfPi},  // equal points
      {{0, 0, 0}, {1, 0.000001, 0}, 0},       {{0, 0, 0}, {-1, 0.000001, 0}, kPi},
      {{0, 0, 0}, {0.000001, 1, 0}, kHalfPi}, {{0, 0, 0}, {-1, -1, 0}, 5 * kPi / 4},
      {{0, 0, 0}, {1, 1, 0}, kPi / 4},        {{0, 0, 0}, {-1, 1, 0}, 3 * kPi / 4},
      {{0, 0, 0}, {1, -1, 0}, 7 * kPi / 4},   {{2, 2, 9}, {3, 2 + std::sqrt(3.0), 0}, kPi / 3},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(Angle2D(c.p, c.q), c.angle, 1e-12) << c.q.x << "," << c.q.y;
  }
}

TEST(Geometry, IntersectLines) {
  struct Case {
    TAcadPoint p1, p2, p3, p4;
    bool bounded;
    bool meets;
    TAcadPoint at;
  };
  const Case cases[] = {
      {{0, 0, 7}, {2, 0, 0}, {1, -1, 0}, {1, 1, 0}, true, true, {1, 0, 7}},
      {{0, 0, 0}, {1, 0, 0}, {1, -1, 0}, {1, 1, 0}, true, true, {1, 0, 0}},  // t = 1 counts
      {{1, 0, 0}, {2, 0, 0}, {1, -1, 0}, {1, 1, 0}, true, false, {}},        // t = 0 does not
      {{1, 0, 0}, {2, 0, 0}, {1, -1, 0}, {1, 1, 0}, false, true, {1, 0, 0}},
      {{0, 0, 0}, {1, 0, 0}, {3, -1, 0}, {3, 1, 0}, false, true, {3, 0, 0}},
      {{0, 0, 0}, {1, 0, 0}, {3, -1, 0}, {3, 1, 0}, true, false, {}},
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, true, false, {}},  // parallel
      {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, false, false, {}},
  };
  for (const Case& c : cases) {
    const auto hit = IntersectLines(c.p1, c.p2, c.p3, c.p4, c.bounded);
    ASSERT_EQ(hit.has_value(), c.meets) << c.p1.x << " " << c.p3.x << " " << c.bounded;
    if (hit) ExpectNear(*hit, c.at);
  }
}

TEST(Geometry, BulgeToArc) {
  const TBulgeArc lower = BulgeToArc({0, 0, 0}, {2, 0, 0}, 1);
  ExpectNear(lower.center, {1, 0, 0});
  EXPECT_NEAR(lower.radius, 1, 1e-12);
  EXPECT_NEAR(lower.start, kPi, 1e-12);
  EXPECT_NEAR(lower.end, 0, 1e-12);

  const TBulgeArc upper = BulgeToArc({0, 0, 0}, {2, 0, 0}, -1);
  ExpectNear(upper.center, {1, 0, 0});
  EXPECT_NEAR(upper.radius, 1, 1e-12);
  EXPECT_NEAR(upper.start, 0, 1e-12);
  EXPECT_NEAR(upper.end, kPi, 1e-12);

  // A quarter circle: bulge tan(π/8) from (1, 0) to (0, 1) around the origin.
  const TBulgeArc quarter = BulgeToArc({1, 0, 0}, {0, 1, 0}, std::tan(kPi / 8));
  ExpectNear(quarter.center, {0, 0, 0});
  EXPECT_NEAR(quarter.radius, 1, 1e-12);
  EXPECT_NEAR(quarter.start, 0, 1e-12);
  EXPECT_NEAR(quarter.end, kHalfPi, 1e-12);
}

TEST(Geometry, OcsToWcs) {
  const TAcadPoint p{2, 3, 4};
  EXPECT_EQ(OcsToWcs(p, {0, 0, 1}), p);
  EXPECT_EQ(OcsToWcs(p, {0, 0, -1}), (TAcadPoint{-2, 3, -4}));
  // Extrusion along +X: Ax = (0, 1, 0), Ay = (0, 0, 1).
  ExpectNear(OcsToWcs(p, {1, 0, 0}), {4, 2, 3});
  // The extrusion is used as given: its length scales z only.
  EXPECT_EQ(OcsToWcs(p, {0, 0, 2}), (TAcadPoint{2, 3, 8}));
  EXPECT_EQ(Normalize({0, 0, 0}), (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(Cross({1, 0, 0}, {0, 1, 0}), (TAcadPoint{0, 0, 1}));
  EXPECT_EQ(ApplyAxes({1, 2, 3}, {10, 20, 30}, {1, 0, 0}, {0, 2, 0}, {0, 0, 3}),
            (TAcadPoint{11, 24, 39}));
}

TEST(Geometry, PointHelpers) {
  EXPECT_EQ(SubPointXY({5, 6, 7}, {1, 2, 3}), (TAcadPoint{4, 4, 7}));
  EXPECT_EQ(MulPoint({1, 2, 3}, {2, 3, 4}), (TAcadPoint{2, 6, 12}));
  ExpectNear(RotatePointCW({1, 0, 5}, kHalfPi), {0, -1, 5});
  ExpectNear(RotatePointCW({1, 0, 5}, -kHalfPi), {0, 1, 5});
  EXPECT_EQ(Distance2D({0, 0, 0}, {3, 4, 100}), 5);
  EXPECT_TRUE(NearlyEqual({0, 0, 1}, {0.000009, 0, 1}, 0.00001));
  EXPECT_FALSE(NearlyEqual({0, 0, 1}, {0, 0, 1.00001}, 0.00001));
}

TEST(Geometry, ArcBox) {
  struct Case {
    double a1, a2;
    TBox box;
  };
  const double s = std::sqrt(0.5);
  const Case cases[] = {
      {kPi / 4, 3 * kPi / 4, {{-s, s, 0}, {s, 1, 0}}},
      {7 * kPi / 4, kPi / 4, {{s, -s, 0}, {1, s, 0}}},  // passes angle 0
      {0, kHalfPi, {{0, 0, 0}, {1, 1, 0}}},
      {kHalfPi, kTwoPi, {{-1, -1, 0}, {1, 1, 0}}},
      {3 * kPi / 4, kPi / 4, {{-1, -1, 0}, {1, s, 0}}},  // the long way round
  };
  for (const Case& c : cases) {
    const TBox b = ArcBox({0, 0, 0}, 1, c.a1, c.a2);
    ExpectNear(b.lowerLeft, c.box.lowerLeft);
    ExpectNear(b.upperRight, c.box.upperRight);
  }
  const TBox moved = ArcBox({10, 20, 3}, 2, 0, kPi);
  ExpectNear(moved.lowerLeft, {8, 20, 0});
  ExpectNear(moved.upperRight, {12, 22, 0});
}

TTextBlk Text(std::string str, double height) {
  TTextBlk t;
  t.str = std::move(str);
  t.code40 = height;
  t.code41 = 1;
  t.code44 = 1;
  return t;
}

TEST(Geometry, TextBoxOfText) {
  // Four characters, height 1: w = 3.42, B = (0, 1.71), corners down by the 45° step.
  const TBox left = TextBox(Text("ABCD", 1));
  const double d = std::sqrt(0.5);
  ExpectNear(left.lowerLeft, {0, 0, 0});
  ExpectNear(left.upperRight, {3.42 + d, 1.71, 0});
  EXPECT_NEAR(TextBox(Text("ABCD", 1)).lowerLeft.y, 0, 1e-12);

  // Japanese characters count one each; right-aligned texts hang left of pt11.
  TTextBlk right = Text("日本", 2);
  right.code72 = 2;
  right.pt10 = {100, 100, 0};
  right.pt11 = {10, 0, 0};
  const double w = 2 * 0.855 * 2;
  const TBox r = TextBox(right);
  ExpectNear(r.lowerLeft, {10 - 2 * w, 0, 0});
  ExpectNear(r.upperRight, {10, 2 * 0.855 * 2, 0});  // pt11 itself is in the box

  // Rotated by 90°: the baseline runs up.
  TTextBlk up = Text("AB", 1);
  up.code50 = 90;
  const TBox u = TextBox(up);
  EXPECT_NEAR(u.upperRight.y, 1.71 + d, 1e-9);
  EXPECT_NEAR(u.lowerLeft.x, -1.71, 1e-9);
}

TEST(Geometry, TextBoxOfMText) {
  TTextBlk m = Text("A\\PB", 2);
  m.mtflag = true;
  m.code41 = 10;
  m.pt10 = {5, 5, 0};
  m.pt11 = {99, 99, 0};                // the direction, never the anchor
  const double height = 2 * 1.86 * 2;  // two lines
  struct Case {
    int16_t attachment;
    TBox box;
  };
  const Case cases[] = {
      {1, {{5, 5 - height, 0}, {15, 5, 0}}},
      {5, {{0, 5 - height / 2, 0}, {10, 5 + height / 2, 0}}},
      {9, {{-5, 5, 0}, {5, 5 + height, 0}}},
      {0, {{5, 5 - height, 0}, {15, 5, 0}}},
  };
  for (const Case& c : cases) {
    m.code71 = c.attachment;
    const TBox b = TextBox(m);
    ExpectNear(b.lowerLeft, c.box.lowerLeft, 1e-9);
    ExpectNear(b.upperRight, c.box.upperRight, 1e-9);
  }
}

}  // namespace
}  // namespace kestrel::dxf
