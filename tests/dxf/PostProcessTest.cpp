#include "dxf/PostProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "DxfTestFiles.h"
#include "dxf/Colors.h"
#include "dxf/DxfReader.h"
#include "dxf/Geometry.h"

namespace kestrel::dxf {
namespace {

TEST(LineTypeToPenStyle, PrefixesOfTheUpperCasedName) {
  const struct {
    const char* name;
    int style;
  } cases[] = {
      {"CONTINUOUS", 0}, {"DASHDOT", 3}, {"DASHED", 2},  {"Hidden2", 2}, {"PHANTOM", 4},
      {"ZIGZAG", 0},     {"center", 3},  {"BORDER", 3},  {"DIVIDE", 0},  {"DOT2", 2},
      {"DASH", 0},       {"BYLAYER", 0}, {"BYBLOCK", 0}, {"", 0},        {"CO", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(LineTypeToPenStyle(c.name), c.style) << c.name;
}

TEST(EntityPenStyle, ByLayerAndEmptyTakeTheLayersLineType) {
  const std::vector<TLayer> layers = {{"H", 7, "HIDDEN", true}, {"H", 7, "PHANTOM", true}};
  EXPECT_EQ(EntityPenStyle(layers, "BYLAYER", "H"), 2);  // the first layer of the name
  EXPECT_EQ(EntityPenStyle(layers, "", "H"), 2);
  EXPECT_EQ(EntityPenStyle(layers, "CENTER", "H"), 3);
  EXPECT_EQ(EntityPenStyle(layers, "BYBLOCK", "H"), 0);
  EXPECT_EQ(EntityPenStyle(layers, "BYLAYER", "h"), 0);  // no such layer: kept, solid
}

TEST(ResolvePens, ColourStyleAndLayerIndexOfEveryDrawRecord) {
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}, {"D", -3, "DASHDOT", false}};
  TAcadLineBlk line;
  line.layer = "D";
  line.ltype = "BYLAYER";
  line.color = -1;  // a colour copied from a layer that is off keeps its hue
  TArcBlk arc;
  arc.layer = "gone";
  arc.ltype = "PHANTOM";
  arc.color = 3;
  TCircleBlk circle;
  circle.layer = "0";
  circle.color = 5;
  TTextBlk text;
  text.layer = "D";
  text.color = 2;
  d.LineAry = {line};
  d.ArcAry = {arc};
  d.CircleAry = {circle};
  d.TextAry = {text};
  ResolvePens(d);
  EXPECT_EQ(d.LineAry[0].PenColor, 0x0000FFu);
  EXPECT_EQ(d.LineAry[0].PenStyle, 3);
  EXPECT_EQ(d.LineAry[0].layindex, 1);
  EXPECT_EQ(d.ArcAry[0].PenColor, 0x00FF00u);
  EXPECT_EQ(d.ArcAry[0].PenStyle, 4);
  EXPECT_EQ(d.ArcAry[0].layindex, -1);
  EXPECT_EQ(d.CircleAry[0].PenColor, 0xFF0000u);
  EXPECT_EQ(d.CircleAry[0].layindex, 0);
  EXPECT_EQ(d.TextAry[0].PenColor, 0x00FFFFu);
  EXPECT_EQ(d.TextAry[0].layindex, 1);
}

TAcadLineBlk Line(TAcadPoint st, TAcadPoint ed, const char* layer = "0") {
  TAcadLineBlk l;
  l.layer = layer;
  l.st = st;
  l.ed = ed;
  return l;
}

TTextBlk Text(TAcadPoint at) {
  TTextBlk t;
  t.layer = "0";
  t.str = "ABCD";
  t.pt10 = at;
  t.code40 = 1;
  t.code41 = 1;
  return t;
}

TEST(ComputeExtents, VisibleLinesCirclesAndArcsOnly) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}, {"FROZEN", 7, "CONTINUOUS", false}};
  TAcadLineBlk paper = Line({-50, -50, 0}, {0, 0, 0});
  paper.code67 = 1;
  TAcadLineBlk hidden = Line({-50, -50, 0}, {0, 0, 0});
  hidden.code60 = 1;
  d.LineAry = {Line({0, 0, 5}, {2, -1, 5}), Line({100, 100, 0}, {200, 200, 0}, "FROZEN"), paper,
               hidden, Line({nan, 0, 0}, {1000, 0, 0})};
  TCircleBlk replaced;  // a tilted circle replaced by lines
  replaced.center = {500, 500, 0};
  replaced.hankei = 1;
  replaced.code67 = -1;
  d.CircleAry = {replaced};
  TArcBlk arc;  // the upper quarter from 45 to 135 degrees reaches y = 1
  arc.hankei = 1;
  arc.st = 45;
  arc.ed = 135;
  d.ArcAry = {arc};
  d.TextAry = {Text({-100, -100, 0})};
  ComputeExtents(d);
  EXPECT_NEAR(d.DrawingExtents.lowerLeft.x, -std::sqrt(0.5), 1e-12);
  EXPECT_EQ(d.DrawingExtents.lowerLeft.y, -1);
  EXPECT_EQ(d.DrawingExtents.upperRight.x, 2);
  EXPECT_EQ(d.DrawingExtents.upperRight.y, 1);
  EXPECT_EQ(d.DrawingExtents.lowerLeft.z, 0);
}

TEST(ComputeExtents, TextsCountOnlyWithoutOtherGeometry) {
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}};
  d.TextAry = {Text({0, 0, 0}), Text({10, 5, 0})};
  ComputeExtents(d);
  const TBox first = TextBox(d.TextAry[0]);
  const TBox second = TextBox(d.TextAry[1]);
  EXPECT_EQ(d.DrawingExtents.lowerLeft, first.lowerLeft);
  EXPECT_EQ(d.DrawingExtents.upperRight, second.upperRight);

  d.CircleAry.resize(1);
  d.CircleAry[0].layer = "0";
  d.CircleAry[0].center = {3, 3, 0};
  d.CircleAry[0].hankei = 2;
  ComputeExtents(d);
  EXPECT_EQ(d.DrawingExtents, (TBox{{1, 1, 0}, {5, 5, 0}}));

  d = Drawing{};
  ComputeExtents(d);
  EXPECT_EQ(d.DrawingExtents, TBox{});
}

TEST(ComputeExtents, FarGeometryHasFiniteExtents) {
  const double max = std::numeric_limits<double>::max();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    std::vector<TAcadLineBlk> lines;
    std::vector<TCircleBlk> circles;
    TBox expected;
  };
  auto circle = [](TAcadPoint c, double r) {
    TCircleBlk k;
    k.layer = "0";
    k.center = c;
    k.hankei = r;
    return k;
  };
  const Case cases[] = {
      {"a line across nearly all doubles",
       {Line({-1e308, 0, 0}, {1e308, 0, 0})},
       {},
       {{-1e308, 0, 0}, {1e308, 0, 0}}},
      {"a circle whose right side is beyond the doubles",
       {Line({0, 0, 0}, {1, 1, 0})},
       {circle({1e308, 0, 0}, 1e308)},
       {{0, -1e308, 0}, {max, 1e308, 0}}},
      {"a circle beyond on every side",
       {},
       {circle({0, 0, 0}, max)},
       {{-max, -max, 0}, {max, max, 0}}},
      {"an infinite radius counts for nothing",
       {Line({0, 0, 0}, {1, 1, 0})},
       {circle({0, 0, 0}, inf)},
       {{0, 0, 0}, {1, 1, 0}}},
  };
  for (const Case& c : cases) {
    Drawing d;
    d.LayerAry = {{"0", 7, "CONTINUOUS", true}};
    d.LineAry = c.lines;
    d.CircleAry = c.circles;
    ComputeExtents(d);
    EXPECT_EQ(d.DrawingExtents, c.expected) << c.what;
  }
  // A drawing of one text whose width is beyond the doubles.
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}};
  d.TextAry = {Text({0, 0, 0})};
  d.TextAry[0].code40 = 1e308;
  ComputeExtents(d);
  EXPECT_EQ(d.DrawingExtents.lowerLeft.x, 0);
  EXPECT_EQ(d.DrawingExtents.upperRight.x, max);
  EXPECT_TRUE(std::isfinite(d.DrawingExtents.lowerLeft.y));
  EXPECT_TRUE(std::isfinite(d.DrawingExtents.upperRight.y));
}

// A small drawing that only comes out right when the steps run in the pipeline's order.
TEST(PostProcessDrawing, RunsTheStepsInOrderAndEmptiesTheSources) {
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}, {"W", 3, "HIDDEN", true}};
  // A polyline inside block B becomes lines before the INSERT copies them.
  TBlockBlk block;
  block.name = "B";
  d.BlockAry = {block};
  TLwpBlk blockPolyline;
  blockPolyline.bname = "B";
  blockPolyline.layer = "0";
  d.BlkLwpAry = {blockPolyline};
  d.BlkVerAry = {{0, {0, 0, 0}, 0}, {0, {1, 0, 0}, 0}};
  TInsertBlk insert;
  insert.name = "B";
  insert.layer = "W";
  insert.color = 3;
  insert.scale = {1, 1, 1};
  insert.base = {10, 0, 0};
  insert.code210 = {0, 0, -1};  // copies come after LinesToWorld and stay where they are
  d.EntInsertAry = {insert};
  // A model-space polyline with a downward extrusion is mirrored by LinesToWorld.
  TLwpBlk polyline;
  polyline.layer = "0";
  polyline.code210 = {0, 0, -1};
  d.LwpAry = {polyline};
  d.VerAry = {{0, {1, 1, 0}, 0}, {0, {2, 1, 0}, 0}};
  // Solid lines have no extrusion: converted after LinesToWorld, they are not moved.
  TSolidBlk solid;
  solid.layer = "0";
  solid.p1 = {0, 5, 0};
  solid.p2 = {1, 5, 0};
  solid.p3 = {0, 6, 0};
  d.SolidAry = {solid};
  d.EllipseAry.resize(1);
  d.FaceAry.resize(1);
  d.LeaderAry.resize(1);
  d.SplineAry.resize(1);

  ASSERT_TRUE(PostProcessDrawing(d));
  ASSERT_EQ(d.LineAry.size(), 1u + 1u + 3u);
  EXPECT_EQ(d.LineAry[0].st, (TAcadPoint{-1, 1, 0}));  // the polyline, in world coordinates
  EXPECT_EQ(d.LineAry[1].st, (TAcadPoint{10, 0, 0}));  // the block's polyline, placed
  EXPECT_EQ(d.LineAry[1].ed, (TAcadPoint{11, 0, 0}));
  EXPECT_EQ(d.LineAry[1].layer, "W");
  EXPECT_EQ(d.LineAry[1].PenStyle, 2);
  EXPECT_EQ(d.LineAry[4].st, (TAcadPoint{0, 6, 0}));
  EXPECT_EQ(d.DrawingExtents, (TBox{{-2, 0, 0}, {11, 6, 0}}));
  EXPECT_TRUE(d.BlkLwpAry.empty() && d.BlkVerAry.empty() && d.LwpAry.empty() && d.VerAry.empty() &&
              d.EllipseAry.empty() && d.BlockAry.empty() && d.EntInsertAry.empty() &&
              d.NestInsertAry.empty() && d.FaceAry.empty() && d.LeaderAry.empty() &&
              d.SolidAry.empty() && d.SplineAry.empty());
  EXPECT_EQ(d.BlkLineAry.size(), 1u);  // block lists stay until the next read
}

TEST(PostProcessDrawing, EmptyDrawingHasZeroExtents) {
  Drawing d;
  d.LayerAry = {{"0", 7, "CONTINUOUS", true}};
  EXPECT_TRUE(PostProcessDrawing(d));
  EXPECT_EQ(d.DrawingExtents, TBox{});
}

TEST(PrepareDxfDrawing, StopsWhereTheLoadStops) {
  using testing::Entities;
  using testing::WriteTempFile;
  const std::string line = Entities("0 LINE\n8 A\n10 1\n20 2\n11 3\n21 5");
  struct Case {
    const char* name;
    std::string file;
    std::string bytes;
    std::string error;
    bool read;
  };
  const Case cases[] = {
      {"drawing", "a.dxf", line, "", true},
      {"upper-case extension", "b.DXF", line, "", true},
      {"empty drawing", "c.dxf", Entities(""), "", true},
      {"wrong extension", "d.txt", line, "not a .DXF file", false},
      {"DWG named .dxf", "e.dxf", std::string("AC1015\0\0\0\0\0", 11), "not an ASCII DXF file",
       false},
      {"binary DXF", "f.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22),
       "not an ASCII DXF file", false},
      {"bad number", "g.dxf", Entities("0 LINE\n10 1,5"), "7:10/8:1,5", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d;
    const PreparedDxf result = PrepareDxfDrawing(d, WriteTempFile(c.file, c.bytes));
    EXPECT_EQ(result.error, c.error);
    EXPECT_EQ(result.read, c.read);
    if (!c.read) {
      EXPECT_TRUE(d.LayerAry.empty());
    }
  }
  Drawing d;
  EXPECT_EQ(PrepareDxfDrawing(d, WriteTempFile("h.dxf", line)).error, "");
  EXPECT_EQ(d.DrawingExtents, (TBox{{1, 2, 0}, {3, 5, 0}}));
  EXPECT_EQ(d.LineAry[0].layindex, GetLayerIndex(d.LayerAry, "A"));
  EXPECT_EQ(PrepareDxfDrawing(d, std::filesystem::path(::testing::TempDir()) / "none.dxf").error,
            "not a file");
}

TEST(PostProcessBudget, SixtyFourBytesPerFileByteBetween256MiBAnd2GiB) {
  constexpr uint64_t MiB = 1 << 20;
  const struct {
    uint64_t file;
    uint64_t budget;
  } cases[] = {
      {0, 256 * MiB},         {1 * MiB, 256 * MiB},     {4 * MiB, 256 * MiB},
      {5 * MiB, 320 * MiB},   {16 * MiB, 1024 * MiB},   {32 * MiB, 2048 * MiB},
      {33 * MiB, 2048 * MiB}, {UINT64_MAX, 2048 * MiB},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PostProcessBudget(c.file), c.budget) << c.file;
}

// Steps that append past the budget make the drawing fail as a bad file does, also inside the
// nested expansion, whose other failures are passed over; the memory is given back.
TEST(PostProcessDrawing, FailsWhenTheListsPassTheBudget) {
  const auto blockOfLines = [](Drawing& d, const char* name, int lines) {
    TBlockBlk block;
    block.name = name;
    d.BlockAry.push_back(block);
    for (int i = 0; i < lines; ++i) {
      TAcadLineBlk line;
      line.bname = name;
      line.layer = "L";
      line.ed = {double(i), 1, 0};
      d.BlkLineAry.push_back(line);
    }
  };
  const auto insert = [](const char* name, double x) {
    TInsertBlk i;
    i.name = name;
    i.layer = "L";
    i.scale = {1, 1, 1};
    i.base = {x, 0, 0};
    return i;
  };
  struct Case {
    const char* name;
    std::function<void(Drawing&)> build;
    size_t needs;  // bytes of the lists it appends to
  };
  const Case cases[] = {
      {"model-space INSERTs",
       [&](Drawing& d) {
         blockOfLines(d, "B", 100);
         for (int i = 0; i < 100; ++i)
           d.EntInsertAry.push_back(insert("B", i));
       },
       10000 * sizeof(TAcadLineBlk)},
      {"nested INSERTs",
       [&](Drawing& d) {
         blockOfLines(d, "B", 100);
         blockOfLines(d, "A", 0);
         d.BlockAry[1].InsertAry.push_back(insert("B", 0));
         for (int i = 0; i < 100; ++i)
           d.EntInsertAry.push_back(insert("A", i));
       },
       10000 * sizeof(TAcadLineBlk) + 100 * sizeof(TInsertBlk)},
      {"tilted circles",
       [](Drawing& d) {
         d.CircleAry.resize(1000);
         for (TCircleBlk& c : d.CircleAry) {
           c.hankei = 1;
           c.code210 = {0, 1, 0};
         }
       },
       1000 * sizeof(TCircleBlk) + 37000 * sizeof(TAcadLineBlk)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing fits;
    fits.LayerAry = {{"L", 1, "CONTINUOUS", true}};
    c.build(fits);
    Drawing tooLarge = fits;
    EXPECT_TRUE(PostProcessDrawing(fits, 2 * c.needs));
    EXPECT_GE(fits.LineAry.size(), 10000u);
    EXPECT_FALSE(PostProcessDrawing(tooLarge, c.needs / 2));
    EXPECT_TRUE(tooLarge.LineAry.empty() && tooLarge.CircleAry.empty() &&
                tooLarge.BlkLineAry.empty() && tooLarge.BlockAry.empty() &&
                tooLarge.EntInsertAry.empty() && tooLarge.NestInsertAry.empty());
    EXPECT_EQ(tooLarge.LineAry.capacity(), 0u);
    EXPECT_EQ(tooLarge.LayerAry.size(), 1u);
    EXPECT_EQ(tooLarge.DrawingExtents, TBox{});
  }
}

// 20,000 INSERTs of a block holding one text of 200 KB: copied text by text that made 4 GB.
TEST(PostProcessDrawing, InsertedCopiesShareTheirBlocksText) {
  const std::string bytes = testing::SharedTextDrawing(20000, 200000);
  Drawing d;
  ASSERT_EQ(ReadDxfBuffer(d, bytes, "shared.dxf", TextEncoding::Utf8), "");
  ASSERT_TRUE(PostProcessDrawing(d, PostProcessBudget(bytes.size())));
  ASSERT_EQ(d.TextAry.size(), 20000u);
  const char* text = d.BlkTextAry.at(0).str.data();
  for (const TTextBlk& t : d.TextAry)
    ASSERT_EQ(t.str.data(), text);
  EXPECT_EQ(d.TextAry[0].str.size(), 200000u);
  EXPECT_LT(GrowingListBytes(d), 20000 * sizeof(TTextBlk) + 2 * 200000);
  EXPECT_EQ(d.TextAry[20000 - 1].pt10, (TAcadPoint{1990, 990, 0}));
}

}  // namespace
}  // namespace kestrel::dxf
