#include "dxf/Convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dxf/Geometry.h"

namespace kestrel::dxf {
namespace {

constexpr TAcadPoint kDown{0, 0, -1};

TLwpBlk Polyline(int32_t ihand, int16_t flags, const char* layer = "P") {
  TLwpBlk h;
  h.ihand = ihand;
  h.code70 = flags;
  h.layer = layer;
  h.ltype = "DASHED";
  h.color = 5;
  h.code210 = {0, 0, 1};
  return h;
}

TLwpVer Vertex(int32_t ihand, double x, double y, double bulge = 0) {
  return {ihand, {x, y, 0}, bulge};
}

void ExpectLine(const TAcadLineBlk& line, TAcadPoint st, TAcadPoint ed, double tol = 0) {
  EXPECT_NEAR(line.st.x, st.x, tol);
  EXPECT_NEAR(line.st.y, st.y, tol);
  EXPECT_NEAR(line.st.z, st.z, tol);
  EXPECT_NEAR(line.ed.x, ed.x, tol);
  EXPECT_NEAR(line.ed.y, ed.y, tol);
  EXPECT_NEAR(line.ed.z, ed.z, tol);
}

TEST(ConvertPolylines, ClosedSquareOpenPathAndTheLookOfTheHeader) {
  Drawing d;
  d.LwpAry = {Polyline(0, 1), Polyline(1, 0)};
  d.LwpAry[0].code67 = 1;
  d.LwpAry[0].bname = "";
  d.VerAry = {Vertex(0, 0, 0), Vertex(0, 1, 0), Vertex(0, 1, 1), Vertex(0, 0, 1),
              Vertex(1, 5, 5), Vertex(1, 6, 5), Vertex(1, 6, 6)};
  ConvertPolylines(d);
  ASSERT_EQ(d.LineAry.size(), 6u);
  ExpectLine(d.LineAry[0], {0, 0, 0}, {1, 0, 0});
  ExpectLine(d.LineAry[3], {0, 1, 0}, {0, 0, 0});  // the closing segment
  ExpectLine(d.LineAry[4], {5, 5, 0}, {6, 5, 0});
  ExpectLine(d.LineAry[5], {6, 5, 0}, {6, 6, 0});
  EXPECT_EQ(d.LineAry[0].layer, "P");
  EXPECT_EQ(d.LineAry[0].ltype, "DASHED");
  EXPECT_EQ(d.LineAry[0].color, 5);
  EXPECT_EQ(d.LineAry[0].code67, 1);
  EXPECT_EQ(d.LineAry[0].code210, (TAcadPoint{0, 0, 1}));
  EXPECT_EQ(d.LineAry[4].code67, 0);
}

TEST(ConvertPolylines, BulgesBecomeArcsUnlessTheyTurnAtMostOneDegree) {
  Drawing d;
  d.LwpAry = {Polyline(0, 0)};
  d.LwpAry[0].code210 = kDown;
  // Bulge 1: the lower half circle; tan(0.2°) sweeps 0.8 degree.
  const double small = std::tan(0.2 * kDegToRad);
  d.VerAry = {Vertex(0, 0, 0, 1), Vertex(0, 2, 0, small), Vertex(0, 12, 0)};
  ConvertPolylines(d);
  ASSERT_EQ(d.ArcAry.size(), 1u);
  const TArcBlk& arc = d.ArcAry[0];
  EXPECT_EQ(arc.center, (TAcadPoint{1, 0, 0}));
  EXPECT_EQ(arc.hankei, 1);
  EXPECT_DOUBLE_EQ(arc.st, 180);
  EXPECT_EQ(arc.ed, 0);
  EXPECT_EQ(arc.code210, kDown);
  EXPECT_EQ(arc.layer, "P");
  ASSERT_EQ(d.LineAry.size(), 1u);
  ExpectLine(d.LineAry[0], {2, 0, 0}, {12, 0, 0}, 1e-9);
  EXPECT_EQ(d.LineAry[0].code210, kDown);

  // Inside a block the same small bulge stays an arc, and the records carry no extrusion.
  Drawing b;
  b.BlkLwpAry = {Polyline(0, 0)};
  b.BlkLwpAry[0].bname = "B";
  b.BlkVerAry = d.VerAry;
  ConvertBlockPolylines(b);
  ASSERT_EQ(b.BlkArcAry.size(), 2u);
  EXPECT_TRUE(b.BlkLineAry.empty());
  EXPECT_EQ(b.BlkArcAry[1].bname, "B");
  EXPECT_EQ(b.BlkArcAry[1].code210, (TAcadPoint{}));
}

TEST(ConvertPolylines, VertexRunsFollowTheHeadersAndSkipWhatIsNotTheirs) {
  Drawing d;
  d.LwpAry = {Polyline(0, 1), Polyline(1, 0), Polyline(2, 0), Polyline(3, 0)};
  d.LwpAry[1].code60 = 1;  // invisible: its vertices are skipped by the next scan
  // Header 0 is closed without vertices: it draws nothing and does not move the scan.
  d.VerAry = {Vertex(1, 9, 9), Vertex(1, 8, 8), Vertex(2, 0, 0),
              Vertex(2, 1, 0), Vertex(3, 2, 0), Vertex(3, 3, 0)};
  ConvertPolylines(d);
  ASSERT_EQ(d.LineAry.size(), 2u);
  ExpectLine(d.LineAry[0], {0, 0, 0}, {1, 0, 0});
  ExpectLine(d.LineAry[1], {2, 0, 0}, {3, 0, 0});
}

TEST(ConvertPolylines, PolygonMeshDrawsItsColumnsOnlyAndStopsAtTheLastVertex) {
  struct Case {
    const char* name;
    int16_t flags, m, n;
    int vertices;
    std::vector<std::pair<int, int>> lines;  // vertex index pairs
  };
  const std::vector<Case> cases = {
      {"3x4 open",
       16,
       3,
       4,
       12,
       {{0, 4}, {4, 8}, {1, 5}, {5, 9}, {2, 6}, {6, 10}, {3, 7}, {7, 11}}},
      {"3x2 closed", 17, 3, 2, 6, {{0, 2}, {2, 4}, {4, 0}, {1, 3}, {3, 5}, {5, 1}}},
      {"3x4 with 6 vertices", 16, 3, 4, 6, {{0, 4}, {1, 5}}},
      {"closed, counts beyond the vertices", 17, 32767, 32767, 3, {{0, 0}, {1, 1}, {2, 2}}},
      {"negative counts", 16, -3, -4, 6, {}},
      {"polyface mesh", 64, 3, 2, 6, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d;
    d.LwpAry = {Polyline(0, c.flags)};
    d.LwpAry[0].code71 = c.m;
    d.LwpAry[0].code72 = c.n;
    for (int i = 0; i < c.vertices; ++i)
      d.VerAry.push_back(Vertex(0, i, i * 10));
    ConvertPolylines(d);
    ASSERT_EQ(d.LineAry.size(), c.lines.size());
    for (size_t k = 0; k < c.lines.size(); ++k) {
      const auto [a, b] = c.lines[k];
      ExpectLine(d.LineAry[k], {double(a), a * 10.0, 0}, {double(b), b * 10.0, 0});
    }
  }
}

TEST(ConvertPolylines, MeshesInsideBlocksYieldNothing) {
  Drawing d;
  d.BlkLwpAry = {Polyline(0, 16), Polyline(1, 64), Polyline(2, 0)};
  d.BlkVerAry = {Vertex(0, 0, 0), Vertex(0, 1, 0), Vertex(1, 0, 0),
                 Vertex(1, 1, 0), Vertex(2, 7, 0), Vertex(2, 8, 0)};
  ConvertBlockPolylines(d);
  ASSERT_EQ(d.BlkLineAry.size(), 1u);
  ExpectLine(d.BlkLineAry[0], {7, 0, 0}, {8, 0, 0});
}

TEllipseBlk Ellipse(double kaisi, double owari) {
  TEllipseBlk e;
  e.layer = "E";
  e.ltype = "CENTER";
  e.color = 2;
  e.center = {10, 20, 0};
  e.endpoint = {4, 0, 0};
  e.henpei = 0.5;
  e.kaisi = kaisi;
  e.owari = owari;
  e.code210 = {0, 0, 1};
  return e;
}

TEST(ConvertEllipses, FullEllipseAndArcThroughParameterZero) {
  Drawing d;
  d.EllipseAry = {Ellipse(0, kTwoPi), Ellipse(kThreeHalfPi, kHalfPi)};
  ConvertEllipses(d, 10);
  ASSERT_EQ(d.LineAry.size(), 36u + 18u);
  // Full ellipse: from the end of the major axis round through the minor axis and back.
  EXPECT_EQ(d.LineAry[0].st, (TAcadPoint{14, 20, 0}));
  ExpectLine(d.LineAry[8],
             {10 + 4 * std::cos(80 * kDegToRad), 20 + 2 * std::sin(80 * kDegToRad), 0}, {10, 22, 0},
             1e-9);
  ExpectLine(d.LineAry[35], d.LineAry[35].st, {14, 20, 0}, 1e-9);
  EXPECT_EQ(d.LineAry[0].layer, "E");
  EXPECT_EQ(d.LineAry[0].ltype, "CENTER");
  EXPECT_EQ(d.LineAry[0].color, 2);
  EXPECT_EQ(d.LineAry[0].code210, (TAcadPoint{0, 0, 1}));
  // The arc from 3π/2 to π/2 runs through 0: the right half, bottom to top.
  EXPECT_EQ(d.LineAry[36].st, (TAcadPoint{10, 18, 0}));
  ExpectLine(d.LineAry[36 + 9], {14, 20, 0}, d.LineAry[45].ed, 1e-9);
  ExpectLine(d.LineAry[53], d.LineAry[53].st, {10, 22, 0}, 1e-9);
}

TEST(ConvertEllipses, DegenerateAndHugeParametersStayBounded) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    const char* name;
    TEllipseBlk e;
    size_t maxLines;
  };
  TEllipseBlk zeroAxis = Ellipse(0, kTwoPi);
  zeroAxis.endpoint = {0, 0, 0};
  TEllipseBlk nanAxis = Ellipse(0, kTwoPi);
  nanAxis.endpoint = {nan, 0, 0};
  TEllipseBlk invisible = Ellipse(0, kTwoPi);
  invisible.code60 = 1;
  const std::vector<Case> cases = {
      {"zero-length axis", zeroAxis, 0},     {"NaN axis", nanAxis, 0},
      {"invisible", invisible, 0},           {"equal parameters", Ellipse(1, 1), 0},
      {"NaN parameter", Ellipse(nan, 1), 0}, {"infinite sweep", Ellipse(-inf, inf), 0},
      {"huge sweep", Ellipse(0, 1e300), 38}, {"huge start", Ellipse(1e17, 1e17 + 64), 38},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d;
    d.EllipseAry = {c.e};
    ConvertEllipses(d, 10);
    EXPECT_LE(d.LineAry.size(), c.maxLines);
  }
}

TEST(ConvertTilted, CircleBecomes37LinesMirroredInXAndKeepsItsSpace) {
  Drawing d;
  TCircleBlk circle;
  circle.layer = "C";
  circle.center = {5, 0, 2};
  circle.hankei = 1;
  circle.code210 = kDown;
  circle.code67 = 1;
  TCircleBlk flat = circle;
  flat.code210 = {0, 0, 1};
  d.CircleAry = {circle, flat};
  ConvertTiltedCircles(d, 10);
  EXPECT_EQ(d.CircleAry[0].code67, -1);
  EXPECT_EQ(d.CircleAry[1].code67, 1);  // untouched
  ASSERT_EQ(d.LineAry.size(), 37u);
  for (const TAcadLineBlk& line : d.LineAry) {
    EXPECT_EQ(line.code67, 1);
    EXPECT_EQ(line.code210, kDown);
    EXPECT_EQ(line.layer, "C");
  }
  EXPECT_EQ(d.LineAry[0].st, (TAcadPoint{6, 0, 2}));
  EXPECT_EQ(d.LineAry[8].ed, (TAcadPoint{5, 1, 2}));                // 90 degrees is exact
  EXPECT_LT(Distance2D(d.LineAry[36].st, d.LineAry[36].ed), 1e-9);  // closing line
  LinesToWorld(d);
  EXPECT_EQ(d.LineAry[0].st, (TAcadPoint{-6, 0, -2}));
  EXPECT_EQ(d.LineAry[8].ed, (TAcadPoint{-5, 1, -2}));
}

TEST(ConvertTilted, ArcsStepFromStartToEnd) {
  struct Case {
    const char* name;
    double st, ed;
    std::vector<double> angles;  // the points' angles in degrees
  };
  const std::vector<Case> cases = {
      {"quarter", 0, 90, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 90}},
      {"through zero", 350, 10, {350, 360, 370, 10}},
      {"last step runs back", 0, 14, {0, 10, 14}},
      {"sweep rounds up", 0, 16, {0, 10, 20, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d;
    TArcBlk arc;
    arc.hankei = 2;
    arc.st = c.st;
    arc.ed = c.ed;
    arc.code210 = kDown;
    arc.code67 = 1;
    d.ArcAry = {arc};
    ConvertTiltedArcs(d, 10);
    EXPECT_EQ(d.ArcAry[0].code67, -1);
    ASSERT_EQ(d.LineAry.size(), c.angles.size() - 1);
    for (size_t k = 0; k + 1 < c.angles.size(); ++k) {
      EXPECT_EQ(d.LineAry[k].code67, 1);  // paper space stays paper space
      ExpectLine(d.LineAry[k], PolarPoint({}, c.angles[k] * kDegToRad, 2),
                 PolarPoint({}, c.angles[k + 1] * kDegToRad, 2), 1e-12);
    }
  }
  // Sweeps beyond a turn draw the whole circle once; broken angles stay bounded.
  for (double ed :
       {1e300, std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    Drawing d;
    TArcBlk arc;
    arc.ed = ed;
    arc.code210 = kDown;
    d.ArcAry = {arc};
    ConvertTiltedArcs(d, 10);
    EXPECT_LE(d.LineAry.size(), 37u);
  }
}

TEST(ToWorld, LinesAndTextsWithDownwardExtrusionAreMirroredInX) {
  Drawing d;
  TAcadLineBlk tilted;
  tilted.st = {1, 2, 3};
  tilted.ed = {4, 5, 6};
  tilted.code210 = kDown;
  TAcadLineBlk flat = tilted;
  flat.code210 = {0, 0, 1};
  d.LineAry = {tilted, flat};
  TTextBlk text;
  text.pt10 = {1, 2, 0};
  text.pt11 = {3, 4, 0};
  text.code50 = 30;
  text.code210 = kDown;
  d.TextAry = {text};
  LinesToWorld(d);
  TextsToWorld(d);
  EXPECT_EQ(d.LineAry[0].st, (TAcadPoint{-1, 2, -3}));
  EXPECT_EQ(d.LineAry[0].ed, (TAcadPoint{-4, 5, -6}));
  EXPECT_EQ(d.LineAry[1].st, (TAcadPoint{1, 2, 3}));
  EXPECT_EQ(d.TextAry[0].pt10, (TAcadPoint{-1, 2, 0}));
  EXPECT_EQ(d.TextAry[0].pt11, (TAcadPoint{-3, 4, 0}));
  EXPECT_DOUBLE_EQ(d.TextAry[0].code50, 210);  // the object X axis points to world −X
}

TEST(ConvertOthers, FacesLeadersSolidsSplines) {
  Drawing d;
  TFaceBlk face;
  face.layer = "F";
  face.code67 = 1;
  face.pt = {TAcadPoint{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
  face.count = 3;
  TFaceBlk quad = face;
  quad.count = 4;
  TFaceBlk broken = face;
  broken.count = 300;  // never read beyond the four corners
  TFaceBlk none = face;
  none.count = 0;
  d.FaceAry = {face, quad, broken, none};
  ConvertFaces(d);
  ASSERT_EQ(d.LineAry.size(), 3u + 4u + 4u);
  ExpectLine(d.LineAry[2], {1, 1, 0}, {0, 0, 0});
  ExpectLine(d.LineAry[6], {0, 1, 0}, {0, 0, 0});
  EXPECT_EQ(d.LineAry[0].code67, 1);
  EXPECT_EQ(d.LineAry[0].layer, "F");

  d.LineAry.clear();
  TLeaderBlk leader;
  leader.bname = "";
  leader.layer = "L";
  leader.p1 = {0, 0, 0};
  leader.p2 = {1, 1, 0};
  leader.p3 = {2, 1, 0};
  leader.code76 = 2;
  TLeaderBlk hooked = leader;
  hooked.code76 = 5;
  hooked.code41 = 3;
  TLeaderBlk single = leader;
  single.code76 = 1;
  d.LeaderAry = {leader, hooked, single};
  ConvertLeaders(d);
  ASSERT_EQ(d.LineAry.size(), 1u + 3u);
  ExpectLine(d.LineAry[0], {0, 0, 0}, {1, 1, 0});
  ExpectLine(d.LineAry[2], {1, 1, 0}, {2, 1, 0});
  ExpectLine(d.LineAry[3], {2, 1, 0}, {5, 1, 0});

  d.LineAry.clear();
  TSolidBlk solid;
  solid.layer = "S";
  solid.p1 = {0, 0, 0};
  solid.p2 = {4, 0, 0};
  solid.p3 = {0, 3, 0};
  d.SolidAry = {solid};
  ConvertSolids(d);
  ASSERT_EQ(d.LineAry.size(), 3u);
  ExpectLine(d.LineAry[2], {0, 3, 0}, {0, 0, 0});
  EXPECT_EQ(d.LineAry[2].layer, "S");

  d.LineAry.clear();
  TSplineBlk planar;
  planar.code70 = 8 | 1;
  planar.code10Ary = {{0, 0, 0}, {1, 2, 0}, {3, 2, 0}};
  TSplineBlk spatial = planar;
  spatial.code70 = 0;
  TSplineBlk lonely = planar;
  lonely.code10Ary.resize(1);
  d.SplineAry = {planar, spatial, lonely};
  ConvertSplines(d);
  ASSERT_EQ(d.LineAry.size(), 2u);
  ExpectLine(d.LineAry[1], {1, 2, 0}, {3, 2, 0});
}

}  // namespace
}  // namespace kestrel::dxf
