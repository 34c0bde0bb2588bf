// Every DXF of the shared corpus read and post-processed: no crash, and a drawing the renderer
// can rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "dxf/DxfReader.h"
#include "dxf/HeaderScan.h"
#include "dxf/PostProcess.h"

namespace kestrel::dxf {
namespace {

bool IsFinite(const TBox& b) {
  return std::isfinite(b.lowerLeft.x) && std::isfinite(b.lowerLeft.y) &&
         std::isfinite(b.upperRight.x) && std::isfinite(b.upperRight.y);
}

template <class Record>
void ExpectLayerIndices(const std::vector<Record>& list, const Drawing& d) {
  for (const Record& r : list) {
    ASSERT_GE(r.layindex, -1);
    ASSERT_LT(r.layindex, int(d.LayerAry.size()));
    if (r.layindex >= 0) {
      ASSERT_EQ(d.LayerAry[size_t(r.layindex)].Name, r.layer);
    }
  }
}

TEST(PostProcessCorpus, EveryDxfIsPostProcessed) {
  const std::filesystem::path folder = std::filesystem::path(KESTREL_CORPUS_DIR) / "dxf";
  if (!std::filesystem::is_directory(folder)) GTEST_SKIP() << "no corpus at " << folder;
  int files = 0;
  size_t drawn = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    SCOPED_TRACE(entry.path().filename().string());
    Drawing d;
    const DxfVersion version = ScanDxfVersion(entry.path());
    ReadDxfFile(d, entry.path(), DxfTextEncoding(version));
    ASSERT_TRUE(PostProcessDrawing(d));
    EXPECT_TRUE(IsFinite(d.DrawingExtents));
    EXPECT_LE(d.DrawingExtents.lowerLeft.x, d.DrawingExtents.upperRight.x);
    EXPECT_LE(d.DrawingExtents.lowerLeft.y, d.DrawingExtents.upperRight.y);
    ExpectLayerIndices(d.LineAry, d);
    ExpectLayerIndices(d.ArcAry, d);
    ExpectLayerIndices(d.CircleAry, d);
    ExpectLayerIndices(d.TextAry, d);
    drawn += d.LineAry.size() + d.ArcAry.size() + d.CircleAry.size() + d.TextAry.size();
    ++files;
  }
  EXPECT_GT(files, 40);
  EXPECT_GT(drawn, 0u);
}

// Cut short anywhere, a drawing leaves polylines without vertices, INSERTs without blocks and
// half-read records behind: post-processing takes them all.
TEST(PostProcessCorpus, TruncatedDrawingsArePostProcessed) {
  const std::filesystem::path folder = std::filesystem::path(KESTREL_CORPUS_DIR) / "dxf";
  for (const char* name : {"qcad_block_negative_scale.dxf", "ezdxf_uncommon.dxf",
                           "ezdxf_dimension_in_nested_blocks.dxf", "libredwg_example_r12.dxf"}) {
    SCOPED_TRACE(name);
    std::ifstream in(folder / name, std::ios::binary);
    if (!in) GTEST_SKIP() << "no corpus file " << name;
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (size_t cut = 0; cut < bytes.size(); cut += 1 + bytes.size() / 100) {
      Drawing d;
      ReadDxfBuffer(d, std::string_view(bytes).substr(0, cut), name, TextEncoding::Utf8);
      ASSERT_TRUE(PostProcessDrawing(d)) << "cut at " << cut;
      ASSERT_TRUE(IsFinite(d.DrawingExtents)) << "cut at " << cut;
    }
  }
}

// R2018 MTEXTs carry an embedded object after their own groups; read as the text's, its
// direction and column width put every label at (1, 0) with a height of the column width.
TEST(PostProcessCorpus, MTextLabelsOfR2018DrawingsLieInsideTheirExtents) {
  const std::filesystem::path folder = std::filesystem::path(KESTREL_CORPUS_DIR) / "dxf";
  for (const char* name : {"ezdxf_3dface.dxf", "ezdxf_uncommon.dxf", "netdxf_sample.dxf"}) {
    SCOPED_TRACE(name);
    if (!std::filesystem::exists(folder / name)) GTEST_SKIP() << "no corpus file " << name;
    Drawing d;
    ASSERT_EQ(ReadDxfFile(d, folder / name, TextEncoding::Utf8), "");
    ASSERT_TRUE(PostProcessDrawing(d));
    const TBox& e = d.DrawingExtents;
    int labels = 0;
    for (const TTextBlk& t : d.TextAry) {
      if (!t.mtflag) continue;
      ++labels;
      EXPECT_TRUE(t.pt10.x >= e.lowerLeft.x && t.pt10.x <= e.upperRight.x &&
                  t.pt10.y >= e.lowerLeft.y && t.pt10.y <= e.upperRight.y)
          << t.str << " at " << t.pt10.x << ", " << t.pt10.y;
    }
    EXPECT_GT(labels, 0);
  }
  // The first label of the 3D face drawing, as its own groups give it.
  Drawing d;
  ASSERT_EQ(ReadDxfFile(d, folder / "ezdxf_3dface.dxf", TextEncoding::Utf8), "");
  auto first =
      std::find_if(d.TextAry.begin(), d.TextAry.end(), [](const TTextBlk& t) { return t.mtflag; });
  ASSERT_NE(first, d.TextAry.end());
  EXPECT_EQ(first->str, "edges 1 & 3\\Pall visible");
  EXPECT_EQ(first->pt10, (TAcadPoint{720.0695988330771, 2296.106511562856, 0}));
  EXPECT_EQ(first->pt11, (TAcadPoint{0, 0, 0}));
  EXPECT_EQ(first->code40, 50);
  EXPECT_EQ(first->code41, 591.8649986986565);
  EXPECT_EQ(first->code71, 1);
}

}  // namespace
}  // namespace kestrel::dxf
