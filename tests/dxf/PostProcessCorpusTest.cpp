// Every DXF of the shared corpus read and post-processed: no crash, and a drawing the renderer
// can rely on.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

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

}  // namespace
}  // namespace kestrel::dxf
