#include "dxf/Blocks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kestrel::dxf {
namespace {

constexpr double kTol = 1e-12;

void ExpectPoint(const TAcadPoint& p, TAcadPoint q) {
  EXPECT_NEAR(p.x, q.x, kTol);
  EXPECT_NEAR(p.y, q.y, kTol);
  EXPECT_NEAR(p.z, q.z, kTol);
}

TBlockBlk Block(std::string name, TAcadPoint base = {}) {
  TBlockBlk b;
  b.name = std::move(name);
  b.layer = "BL";
  b.ltype = "BORDER";
  b.base = base;
  return b;
}

TInsertBlk Insert(std::string name, TAcadPoint base, TAcadPoint scale = {1, 1, 1},
                  double rotate = 0) {
  TInsertBlk i;
  i.name = std::move(name);
  i.layer = "WALL";
  i.ltype = "HIDDEN";
  i.color = 3;
  i.base = base;
  i.scale = scale;
  i.rotate = rotate;
  i.code210 = {0, 0, 1};
  return i;
}

TAcadLineBlk BlockLine(std::string bname, TAcadPoint st, TAcadPoint ed, std::string layer = "A",
                       int16_t color = 1) {
  TAcadLineBlk l;
  l.bname = std::move(bname);
  l.layer = std::move(layer);
  l.ltype = "CONTINUOUS";
  l.color = color;
  l.st = st;
  l.ed = ed;
  return l;
}

Drawing WithLayers() {
  Drawing d;
  d.LayerAry = {TLayer{"0", 7, "CONTINUOUS", true}, TLayer{"WALL", 3, "CONTINUOUS", true},
                TLayer{"BL", 4, "CONTINUOUS", true}};
  return d;
}

TEST(BlockTransform, ScalesRotatesAndMovesFromTheBasePoint) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("B", {10, 0, 0})};
  d.BlkLineAry = {BlockLine("B", {10, 0, 0}, {20, 0, 0})};
  d.EntInsertAry = {Insert("B", {100, 100, 0}, {2, 2, 1}, 90)};
  ExpandInserts(d);
  ASSERT_EQ(d.LineAry.size(), 1u);
  ExpectPoint(d.LineAry[0].st, {100, 100, 0});
  ExpectPoint(d.LineAry[0].ed, {100, 120, 0});
}

TEST(ExpandInserts, CopiesEveryKindWithTheInsertsPlaceAndSpace) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("B")};
  TCircleBlk circle;
  circle.bname = "B";
  circle.layer = "A";
  circle.color = 1;
  circle.center = {1, 1, 0};
  circle.hankei = 5;
  TTextBlk text;
  text.bname = "B";
  text.layer = "A";
  text.color = 1;
  text.pt10 = {1, 0, 0};
  text.pt11 = {2, 0, 0};
  text.code40 = 2;
  text.code50 = 15;
  TTextBlk mtext = text;
  mtext.mtflag = true;
  mtext.pt11 = {1, 0, 0};  // a direction, not a place
  d.BlkCircleAry = {circle};
  d.BlkTextAry = {text, mtext};
  TInsertBlk insert = Insert("B", {100, 0, 0}, {-2, 3, 1}, 90);
  insert.code67 = 1;
  insert.code210 = {0, 0, -1};
  d.EntInsertAry = {insert};
  ExpandInserts(d);

  ASSERT_EQ(d.CircleAry.size(), 1u);
  EXPECT_EQ(d.CircleAry[0].hankei, 10);             // |x scale|
  ExpectPoint(d.CircleAry[0].center, {97, -2, 0});  // (−2, 3) turned a quarter, moved
  EXPECT_EQ(d.CircleAry[0].code67, 1);
  EXPECT_EQ(d.CircleAry[0].code210, (TAcadPoint{0, 0, -1}));
  ASSERT_EQ(d.TextAry.size(), 2u);
  ExpectPoint(d.TextAry[0].pt10, {100, -2, 0});
  ExpectPoint(d.TextAry[0].pt11, {100, -4, 0});
  EXPECT_EQ(d.TextAry[0].code40, 4);
  EXPECT_EQ(d.TextAry[0].code50, 15);  // a text keeps its own rotation
  EXPECT_EQ(d.TextAry[1].pt11, (TAcadPoint{1, 0, 0}));
  EXPECT_EQ(d.TextAry[1].code67, 1);
}

TEST(ExpandInserts, LayerZeroAndByBlockTakeTheInsertsLayer) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("B")};
  d.BlkLineAry = {BlockLine("B", {}, {1, 0, 0}, "0", 7), BlockLine("B", {}, {1, 0, 0}, "A", 1),
                  BlockLine("B", {}, {1, 0, 0}, "A", 0)};
  TInsertBlk onMissingLayer = Insert("B", {});
  onMissingLayer.layer = "NEW";
  d.EntInsertAry = {Insert("B", {}), onMissingLayer};
  ExpandInserts(d);
  ASSERT_EQ(d.LineAry.size(), 6u);
  struct Expect {
    const char* layer;
    int16_t color;
    const char* ltype;
  };
  const Expect expected[] = {{"WALL", 3, "HIDDEN"}, {"A", 1, "CONTINUOUS"}, {"WALL", 3, "HIDDEN"},
                             {"NEW", 7, "HIDDEN"},  {"A", 1, "CONTINUOUS"}, {"NEW", 7, "HIDDEN"}};
  for (size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d.LineAry[i].layer, expected[i].layer);
    EXPECT_EQ(d.LineAry[i].color, expected[i].color);
    EXPECT_EQ(d.LineAry[i].ltype, expected[i].ltype);
  }
  ASSERT_EQ(d.LayerAry.size(), 4u);  // the missing layer was appended once
  EXPECT_EQ(d.LayerAry[3].Name, "NEW");
}

TEST(ExpandInserts, MirroredInsertsMirrorTheirArcs) {
  struct Case {
    const char* name;
    TAcadPoint scale;
    double rotate;
    double st, ed;
    TAcadPoint center;
  };
  // A block arc from 0 to 90 degrees about (1, 0): its copy must cover the same points as the
  // mirrored quarter circle, still running counter-clockwise.
  const Case cases[] = {
      {"plain", {1, 1, 1}, 0, 0, 90, {1, 0, 0}},
      {"rotated", {1, 1, 1}, 30, 30, 120, {0.8660254037844387, 0.5, 0}},
      {"negative x", {-1, 1, 1}, 0, 90, 180, {-1, 0, 0}},
      {"negative y", {1, -1, 1}, 0, 270, 0, {1, 0, 0}},
      {"both negative", {-2, -2, 1}, 0, 180, 270, {-2, 0, 0}},
      {"negative x, rotated", {-1, 1, 1}, 90, 180, 270, {0, -1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d = WithLayers();
    d.BlockAry = {Block("B")};
    TArcBlk arc;
    arc.bname = "B";
    arc.layer = "A";
    arc.color = 1;
    arc.center = {1, 0, 0};
    arc.hankei = 1;
    arc.st = 0;
    arc.ed = 90;
    d.BlkArcAry = {arc};
    d.EntInsertAry = {Insert("B", {}, c.scale, c.rotate)};
    ExpandInserts(d);
    ASSERT_EQ(d.ArcAry.size(), 1u);
    EXPECT_NEAR(d.ArcAry[0].st, c.st, kTol);
    EXPECT_NEAR(d.ArcAry[0].ed, c.ed, kTol);
    ExpectPoint(d.ArcAry[0].center, c.center);
    EXPECT_EQ(d.ArcAry[0].hankei, std::abs(c.scale.x));
  }
}

TEST(ExpandInserts, InvisibleAndUnknownInsertsAddNothing) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("B")};
  d.BlkLineAry = {BlockLine("B", {}, {1, 0, 0})};
  TInsertBlk hidden = Insert("B", {});
  hidden.code60 = 1;
  d.EntInsertAry = {hidden, Insert("b", {}), Insert("NONE", {})};  // names are case-sensitive
  ExpandInserts(d);
  EXPECT_TRUE(d.LineAry.empty());
}

TEST(ExpandBlocks, NestedInsertIsPlacedByTheOuterInsert) {
  Drawing d = WithLayers();
  TBlockBlk a = Block("A");
  TInsertBlk inner = Insert("B", {10, 0, 0});
  inner.dimBlkName = "A";
  inner.layer = "0";
  a.InsertAry = {inner};
  d.BlockAry = {a, Block("B")};
  d.BlkLineAry = {BlockLine("B", {0, 0, 0}, {1, 0, 0})};
  d.EntInsertAry = {Insert("A", {100, 0, 0})};
  ExpandInserts(d);
  ExpandBlocks(d);
  ASSERT_EQ(d.NestInsertAry.size(), 1u);
  EXPECT_EQ(d.NestInsertAry[0].layer, "WALL");  // layer "0" takes the outer INSERT's
  EXPECT_EQ(d.NestInsertAry[0].ltype, "HIDDEN");
  ASSERT_EQ(d.LineAry.size(), 1u);
  ExpectPoint(d.LineAry[0].st, {110, 0, 0});
  ExpectPoint(d.LineAry[0].ed, {111, 0, 0});
}

TEST(ExpandBlocks, ReferencedFlagDecidesWhichUnreferencedBlocksGiveTheirNestedInserts) {
  Drawing d = WithLayers();
  const auto withNested = [](std::string name, std::string inner) {
    TBlockBlk b = Block(name);
    TInsertBlk i = Insert(std::move(inner), {1, 2, 0}, {2, 2, 1}, 10);
    i.layer = "0";
    i.dimBlkName = name;
    b.InsertAry = {i};
    return b;
  };
  // U is not referenced and comes before any referenced block: its nested INSERT comes as it
  // stands, on U's layer. R is referenced: its nested INSERT is placed, and the flag stays set,
  // so V's is left out, while the anonymous *X always gives its own.
  d.BlockAry = {withNested("U", "U1"), withNested("R", "R1"), withNested("V", "V1"),
                withNested("*X", "X1")};
  TInsertBlk outer = Insert("R", {100, 0, 0}, {3, 3, 1}, 20);
  outer.code67 = 1;
  TInsertBlk hidden = Insert("V", {});
  hidden.code60 = 1;  // skipped: neither placed nor counted as a reference
  d.EntInsertAry = {outer, hidden};
  ExpandBlocks(d);
  ASSERT_EQ(d.NestInsertAry.size(), 3u);
  const TInsertBlk& u = d.NestInsertAry[0];
  EXPECT_EQ(u.name, "U1");
  EXPECT_EQ(u.base, (TAcadPoint{1, 2, 0}));
  EXPECT_EQ(u.layer, "BL");
  EXPECT_EQ(u.ltype, "BORDER");
  EXPECT_EQ(u.color, 4);
  const TInsertBlk& r = d.NestInsertAry[1];
  EXPECT_EQ(r.name, "R1");
  EXPECT_EQ(r.base, BlockTransform(outer, {}, {1, 2, 0}));
  EXPECT_EQ(r.rotate, 30);
  EXPECT_EQ(r.scale, (TAcadPoint{6, 6, 1}));
  EXPECT_EQ(r.code67, 1);
  EXPECT_EQ(r.layer, "WALL");
  EXPECT_EQ(d.NestInsertAry[2].name, "X1");
}

TEST(ExpandBlocks, InvisibleModelInsertAddsNoNestedInserts) {
  Drawing d = WithLayers();
  const auto withNested = [](std::string name) {
    TBlockBlk b = Block(name);
    b.InsertAry = {Insert("B", {})};
    b.InsertAry[0].dimBlkName = name;
    return b;
  };
  d.BlockAry = {withNested("A"), withNested("LATER"), Block("B")};
  d.BlkLineAry = {BlockLine("B", {}, {1, 0, 0})};
  TInsertBlk hidden = Insert("A", {50, 0, 0});
  hidden.code60 = 1;
  d.EntInsertAry = {hidden};
  ExpandBlocks(d);
  // A counts as unreferenced: both blocks give their nested INSERT as it stands, none is placed
  // at (50, 0).
  ASSERT_EQ(d.NestInsertAry.size(), 2u);
  ASSERT_EQ(d.LineAry.size(), 2u);
  for (const TAcadLineBlk& line : d.LineAry)
    EXPECT_EQ(line.st, (TAcadPoint{}));
}

TEST(ExpandBlocks, DimensionPictureIsCopiedAsItStands) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("*D1"), Block("*D2")};
  d.BlkLineAry = {BlockLine("*D1", {0, 0, 0}, {10, 0, 0}), BlockLine("*D2", {5, 5, 0}, {6, 6, 0})};
  TSolidBlk arrow;
  arrow.bname = "*D1";
  arrow.layer = "DIM";
  arrow.color = 2;
  arrow.ltype = "BYLAYER";
  arrow.p1 = {0, 0, 0};
  arrow.p2 = {1, 0.2, 0};
  arrow.p3 = {1, -0.2, 0};
  d.BlkSolidAry = {arrow};
  TTextBlk text;
  text.bname = "*D1";
  text.str = "10";
  text.pt10 = {5, 1, 0};
  d.BlkTextAry = {text};
  TCircleBlk circle;
  circle.bname = "*D1";
  d.BlkCircleAry = {circle};
  TDimensionBlk dim;
  dim.dimblkName = "*D1";
  d.DimensionAry = {dim};
  ExpandBlocks(d);
  ASSERT_EQ(d.LineAry.size(), 4u);
  EXPECT_EQ(d.LineAry[0].ed, (TAcadPoint{10, 0, 0}));
  EXPECT_EQ(d.LineAry[1].st, arrow.p1);
  EXPECT_EQ(d.LineAry[1].ed, arrow.p2);
  EXPECT_EQ(d.LineAry[3].st, arrow.p3);
  EXPECT_EQ(d.LineAry[3].ed, arrow.p1);
  EXPECT_EQ(d.LineAry[3].layer, "DIM");
  EXPECT_EQ(d.LineAry[3].bname, "*D1");
  ASSERT_EQ(d.TextAry.size(), 1u);
  EXPECT_EQ(d.TextAry[0].pt10, text.pt10);
  EXPECT_TRUE(d.CircleAry.empty());
}

TEST(ExpandNestedInserts, InsertsInAnonymousBlocksDrawOnlyForDimensionPictures) {
  struct Case {
    const char* name;
    const char* container;
    std::vector<std::string> dimensions;
    bool drawn;
  };
  const Case cases[] = {
      {"named container", "A", {"*D9"}, true},
      {"anonymous, no dimensions at all", "*U1", {}, true},
      {"anonymous, not a dimension picture", "*U1", {"*D9"}, false},
      {"anonymous dimension picture", "*D9", {"*D9"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Drawing d = WithLayers();
    d.BlockAry = {Block("ARROW")};
    d.BlkLineAry = {BlockLine("ARROW", {}, {1, 0, 0})};
    for (const std::string& name : c.dimensions) {
      TDimensionBlk dim;
      dim.dimblkName = name;
      d.DimensionAry.push_back(dim);
    }
    TInsertBlk nested = Insert("ARROW", {});
    nested.dimBlkName = c.container;
    TInsertBlk hidden = nested;
    hidden.code60 = 1;
    d.NestInsertAry = {nested, hidden};
    ExpandNestedInserts(d);
    EXPECT_EQ(d.LineAry.size(), c.drawn ? 1u : 0u);
  }
}

TEST(ExpandInserts, StopsBeforeTheLimitKeepingWhatItAppended) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("B")};
  d.BlkLineAry = {BlockLine("B", {}, {1, 0, 0}), BlockLine("B", {}, {2, 0, 0})};
  d.EntInsertAry = {Insert("B", {}), Insert("B", {10, 0, 0}), Insert("B", {20, 0, 0})};
  EXPECT_THROW(ExpandInserts(d, 5), ExpansionTooLarge);
  ASSERT_EQ(d.LineAry.size(), 4u);
  EXPECT_EQ(d.LineAry[3].ed, (TAcadPoint{12, 0, 0}));
}

// A block "B" of `lines` lines on a layer whose name is too long to be held inline, and
// `inserts` model-space INSERTs of it.
Drawing LinesInserted(int lines, int inserts) {
  Drawing d = WithLayers();
  d.BlockAry = {Block("B")};
  for (int i = 0; i < lines; ++i)
    d.BlkLineAry.push_back(BlockLine("B", {}, {double(i), 1, 0}, "A LAYER WITH A LONG NAME"));
  for (int i = 0; i < inserts; ++i)
    d.EntInsertAry.push_back(Insert("B", {10.0 * i, 0, 0}));
  return d;
}

TEST(ExpandInserts, CopiesShareTheBlocksStringsAndCostOnlyTheirRecords) {
  Drawing d = LinesInserted(10, 100);
  const size_t records = 10 * 100 * sizeof(TAcadLineBlk);
  ByteBudget exact(records);
  ExpandInserts(d, kMaxExpandedRecords, exact);
  ASSERT_EQ(d.LineAry.size(), 1000u);
  EXPECT_EQ(exact.used(), records);
  for (size_t i = 0; i < d.LineAry.size(); ++i)
    EXPECT_EQ(d.LineAry[i].layer.data(), d.BlkLineAry[i % 10].layer.data());
  EXPECT_EQ(d.LineAry[999].ed, (TAcadPoint{999, 1, 0}));
}

TEST(BlockExpansion, FailsBeforeCopyingWhenTheCopiesPassTheBudget) {
  const size_t records = 10 * 100 * sizeof(TAcadLineBlk);
  {
    Drawing d = LinesInserted(10, 100);
    ByteBudget tooSmall(records - 1);
    EXPECT_THROW(ExpandInserts(d, kMaxExpandedRecords, tooSmall), BudgetExceeded);
    EXPECT_TRUE(d.LineAry.empty());
    EXPECT_EQ(d.LineAry.capacity(), 0u);
  }
  {
    // The same copies through a nested INSERT: model space inserts "A", which holds "B".
    Drawing d = LinesInserted(10, 0);
    d.BlockAry.push_back(Block("A"));
    d.BlockAry[1].InsertAry = {Insert("B", {})};
    for (int i = 0; i < 100; ++i)
      d.EntInsertAry.push_back(Insert("A", {10.0 * i, 0, 0}));
    ByteBudget tooSmall(records + 100 * sizeof(TInsertBlk) - 1);
    EXPECT_THROW(ExpandBlocks(d, kMaxExpandedRecords, tooSmall), BudgetExceeded);
    EXPECT_TRUE(d.LineAry.empty());
    ByteBudget enough(records + 100 * sizeof(TInsertBlk));
    d.NestInsertAry.clear();
    ExpandBlocks(d, kMaxExpandedRecords, enough);
    EXPECT_EQ(d.LineAry.size(), 1000u);
  }
}

}  // namespace
}  // namespace kestrel::dxf
