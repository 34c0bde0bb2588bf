// The DXF preview: framed drawings, the cyan cross for every file that cannot be drawn, and the
// whole corpus through the pipeline.
#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <string>
#include <vector>

#include "../dxf/DxfTestFiles.h"
#include "render/DxfPreview.h"

namespace kestrel::render {
namespace {

using dxf::testing::Entities;
using dxf::testing::WriteTempFile;

constexpr QRgb kQtCyan = qRgb(0, 255, 255);
constexpr QRgb kQtBlack = qRgb(0, 0, 0);

QRgb At(const QImage& img, int x, int y) {
  return img.pixel(x, y) | 0xFF000000;  // RGB32 pixels, opaque
}

bool FrameIsCyan(const QImage& img) {
  const int w = img.width(), h = img.height();
  for (int x = 0; x < w; ++x)
    if (At(img, x, 0) != kQtCyan || At(img, x, h - 1) != kQtCyan) return false;
  for (int y = 0; y < h; ++y)
    if (At(img, 0, y) != kQtCyan || At(img, w - 1, y) != kQtCyan) return false;
  return true;
}

// On a square 90 × 90 picture the two strokes of the X are exact diagonals of the middle third,
// from (30, 30) towards (59, 59) and from (59, 30) towards (30, 59), each without its end pixel.
void ExpectCross90(const QImage& img) {
  ASSERT_EQ(img.size(), QSize(90, 90));
  std::vector<std::vector<bool>> cyan(90, std::vector<bool>(90, false));
  for (int i = 0; i < 90; ++i)
    cyan[0][i] = cyan[89][i] = cyan[i][0] = cyan[i][89] = true;
  for (int i = 0; i < 29; ++i)
    cyan[30 + i][30 + i] = cyan[30 + i][59 - i] = true;
  int wrong = 0;
  for (int y = 0; y < 90; ++y) {
    for (int x = 0; x < 90; ++x)
      wrong += At(img, x, y) != (cyan[y][x] ? kQtCyan : kQtBlack);
  }
  EXPECT_EQ(wrong, 0);
}

const std::string kRedLine = Entities("0 LINE\n8 A\n62 1\n10 0\n20 0\n11 10\n21 0");

TEST(LoadDxfPreview, EveryFileThatCannotBeDrawnShowsTheCross) {
  struct Case {
    const char* name;
    std::string file;
    std::string bytes;
    int messages;
  };
  const Case cases[] = {
      {"DWG named .dxf", "dwg.dxf", std::string("AC1015\0\0\0\0\0", 11), 0},
      {"binary DXF", "binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22), 0},
      {"bad number", "number.dxf", Entities("0 LINE\n10 1,5"), 1},
      {"wrong extension", "line.txt", kRedLine, 0},
      {"missing file", "", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::filesystem::path path = c.file.empty()
                                           ? std::filesystem::path(::testing::TempDir()) / "no.dxf"
                                           : WriteTempFile(c.file, c.bytes);
    DrawingDocument doc;
    doc.DrawingShown = true;
    doc.view.ViewWidth = 7;
    int messages = 0;
    const QImage img =
        LoadDxfPreview(doc, path, QSize(90, 90), {}, [&](const Message&) { ++messages; });
    EXPECT_FALSE(doc.DrawingShown);
    EXPECT_EQ(doc.view.ViewWidth, 7);  // the view changes only with a fit
    EXPECT_EQ(messages, c.messages);
    ExpectCross90(img);
  }
}

TEST(LoadDxfPreview, CrossOfAnOddSizeStaysInTheMiddleThird) {
  DrawingDocument doc;
  const QImage img = LoadDxfPreview(doc, "/nonexistent/a.dxf", QSize(100, 61));
  ASSERT_EQ(img.size(), QSize(100, 61));
  EXPECT_TRUE(FrameIsCyan(img));
  // W div 3 = 33, H div 3 = 20: strokes begin at (33, 20) and (65, 20), end before (65, 39)
  // and (33, 39).
  EXPECT_EQ(At(img, 33, 20), kQtCyan);
  EXPECT_EQ(At(img, 65, 20), kQtCyan);
  EXPECT_EQ(At(img, 65, 39), kQtBlack);
  EXPECT_EQ(At(img, 33, 39), kQtBlack);
  EXPECT_EQ(At(img, 32, 20), kQtBlack);
  EXPECT_EQ(At(img, 50, 10), kQtBlack);
}

TEST(LoadDxfPreview, DrawsTheFittedDrawingInsideTheFrame) {
  DrawingDocument doc;
  const QImage img = LoadDxfPreview(doc, WriteTempFile("red.dxf", kRedLine), QSize(100, 60));
  EXPECT_TRUE(doc.DrawingShown);
  EXPECT_EQ(doc.view.ViewWidth, 10);
  EXPECT_EQ(doc.view.ViewHeight, 0);
  EXPECT_EQ(doc.view.ViewCenter.x, 5);
  ASSERT_EQ(img.size(), QSize(100, 60));
  EXPECT_TRUE(FrameIsCyan(img));
  // One side fits the view: 10 units fill 0.9 of 100 pixels, from x = 5 up to 95 on row 30.
  const QRgb red = qRgb(255, 0, 0);
  EXPECT_EQ(At(img, 4, 30), kQtBlack);
  EXPECT_EQ(At(img, 5, 30), red);
  EXPECT_EQ(At(img, 50, 30), red);
  EXPECT_EQ(At(img, 94, 30), red);
  EXPECT_EQ(At(img, 95, 30), kQtBlack);
  EXPECT_EQ(At(img, 50, 29), kQtBlack);
  EXPECT_EQ(doc.drawing.LineAry.size(), 1u);  // the model stays for redraws

  // A redraw at another size keeps the view and fits the same box again.
  const QImage wide = RedrawView(doc, QSize(200, 60), false);
  EXPECT_TRUE(FrameIsCyan(wide));
  EXPECT_EQ(At(wide, 10, 30), red);
  EXPECT_EQ(At(wide, 189, 30), red);
  EXPECT_EQ(At(wide, 190, 30), kQtBlack);

  doc.ClearDrawing();
  EXPECT_TRUE(doc.drawing.LineAry.empty());
}

TEST(LoadDxfPreview, NothingVisibleIsABlackPictureWithItsFrame) {
  DrawingDocument doc;
  const QImage img = LoadDxfPreview(doc, WriteTempFile("empty.DXF", Entities("")), QSize(90, 90));
  EXPECT_TRUE(doc.DrawingShown);
  EXPECT_EQ(doc.view.ViewWidth, 0);
  EXPECT_EQ(doc.view.ViewHeight, 0);
  EXPECT_TRUE(FrameIsCyan(img));
  int lit = 0;
  for (int y = 1; y < 89; ++y)
    for (int x = 1; x < 89; ++x)
      lit += At(img, x, y) != kQtBlack;
  EXPECT_EQ(lit, 0);
}

// A file of 100 KB whose 2,000 INSERTs of a 1,000-line block make 2,000,000 lines: past the
// budget of 256 MiB that a file of its size gets, so it is not drawn, and its memory goes back.
TEST(LoadDxfPreview, DrawingPastItsMemoryBudgetShowsTheCross) {
  std::string block;
  for (int i = 0; i < 1000; ++i)
    block += "0\nLINE\n8\n0\n10\n" + std::to_string(i) + "\n20\n0\n11\n0\n21\n1\n";
  std::string inserts;
  for (int i = 0; i < 2000; ++i)
    inserts += "0\nINSERT\n8\n0\n2\nB\n10\n" + std::to_string(i * 1000) + "\n20\n0\n";
  const std::string bytes = dxf::testing::Pairs("0 SECTION\n2 BLOCKS\n0 BLOCK\n2 B\n") + block +
                            dxf::testing::Pairs("0 ENDBLK\n0 ENDSEC\n0 SECTION\n2 ENTITIES\n") +
                            inserts + dxf::testing::Pairs("0 ENDSEC\n0 EOF\n");
  DrawingDocument doc;
  const QImage img = LoadDxfPreview(doc, WriteTempFile("budget.dxf", bytes), QSize(90, 90));
  EXPECT_FALSE(doc.DrawingShown);
  ExpectCross90(img);
  EXPECT_TRUE(doc.drawing.LineAry.empty() && doc.drawing.BlkLineAry.empty() &&
              doc.drawing.EntInsertAry.empty());
  EXPECT_EQ(doc.drawing.LineAry.capacity(), 0u);
}

// 20,000 copies of a 200 KB text (a file of 1.2 MB that took 4 GB and many seconds): drawn
// fitted, and redrawn zoomed in on the first copies, where their texts show.
TEST(LoadDxfPreview, ManyCopiesOfALongTextAreDrawn) {
  const std::string bytes = dxf::testing::SharedTextDrawing(
      20000, 200000, "0 LINE\n8 0\n10 -10\n20 -10\n11 2000\n21 1000\n");
  DrawingDocument doc;
  const QImage img = LoadDxfPreview(doc, WriteTempFile("shared.dxf", bytes), QSize(320, 240));
  EXPECT_TRUE(doc.DrawingShown);
  EXPECT_TRUE(FrameIsCyan(img));
  ASSERT_EQ(doc.drawing.TextAry.size(), 20000u);
  doc.view.ViewCenter = {40, 0, 0};
  doc.view.ViewWidth = 100;
  doc.view.ViewHeight = 0;
  const QImage zoomed = RedrawView(doc, QSize(640, 480), false);
  EXPECT_TRUE(doc.DrawingShown);
  int lit = 0;
  for (int y = 1; y < 479; ++y)
    for (int x = 1; x < 639; ++x)
      lit += At(zoomed, x, y) != kQtBlack;
  EXPECT_GT(lit, 1000);
}

TEST(LoadDxfPreview, EveryCorpusDxfEndsInAFramedPicture) {
  const std::filesystem::path dir = std::filesystem::path(KESTREL_CORPUS_DIR) / "dxf";
  if (!std::filesystem::exists(dir)) GTEST_SKIP() << "no corpus at " << dir;
  int files = 0, drawn = 0;
  DrawingDocument doc;  // one document for all, as the window keeps it
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    SCOPED_TRACE(entry.path().filename().string());
    const QImage img =
        LoadDxfPreview(doc, entry.path(), QSize(160, 120), {}, [](const Message&) {});
    ASSERT_EQ(img.size(), QSize(160, 120));
    EXPECT_TRUE(FrameIsCyan(img));
    ++files;
    drawn += doc.DrawingShown;
  }
  EXPECT_GT(files, 0);
  EXPECT_GT(drawn, files / 2);
}

}  // namespace
}  // namespace kestrel::render
