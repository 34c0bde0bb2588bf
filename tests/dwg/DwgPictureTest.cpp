// The preview drawn as the picture boxes show it, from crafted files of every bitmap depth and
// PNG kind, from hostile pictures, and from every DWG of the corpus.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>
#include <fstream>
#include <map>

#include "dwg/DwgPicture.h"
#include "dwg/DwgTestFiles.h"
#include "dwg/ShowDwgPreview.h"
#include "preview/ImageBox.h"

namespace kestrel::dwg {
namespace {

using test::MakeDib;
using test::MakeDwg;
using test::TDib;
using test::TDwgLayout;

constexpr QRgb kCyan = 0xFF00FFFF;
constexpr QRgb kBlackPixel = 0xFF000000;

TDwgPreview Read(const std::string& bytes) {
  MemorySource source(bytes.data(), bytes.size());
  return ReadDwgPreview(source);
}

bool InBlock(int x, int y) {
  return x >= 5 && x <= 8 && y >= 4 && y <= 6;
}

// The block of the geometry test (5..8 x 4..6 on 16 x 12) in `colour`: it fills the box from
// (5, 14), 90 x 72, its colour up to column 5 + 72, black after.
void ExpectBlock(const TDwgPicture& p, QRgb colour, const std::string& name) {
  ASSERT_EQ(p.result, DwgPictureResult::Shown) << name << ": " << p.reason;
  EXPECT_EQ(p.picture, QSize(16, 12)) << name;
  EXPECT_EQ(p.plan.targetW, 90) << name;
  EXPECT_EQ(p.plan.targetH, 72) << name;
  EXPECT_EQ(p.image.size(), QSize(100, 100)) << name;
  EXPECT_EQ(p.image.pixel(10, 20), colour) << name;
  EXPECT_EQ(p.image.pixel(5 + 71, 14 + 53), colour) << name;
  EXPECT_EQ(p.image.pixel(5 + 80, 14 + 30), kBlackPixel) << name;
  EXPECT_EQ(p.image.pixel(3, 3), kBlackPixel) << name;
  EXPECT_EQ(p.image.pixel(0, 0), kCyan) << name;
  EXPECT_EQ(p.image.pixel(99, 99), kCyan) << name;
}

TEST(DwgPicture, EveryBitmapDepth) {
  struct Row {
    const char* name;
    int depth;
    std::vector<uint32_t> palette;
    int index;
    uint32_t rgb;
    bool bitFields = false;
    bool topDown = false;
  } rows[] = {
      {"1 bit", 1, {0x000000, 0xFFFFFF}, 1, 0xFFFFFF},
      {"4 bits", 4, std::vector<uint32_t>(16, 0x000000), 9, 0x00FF80},
      {"8 bits", 8, std::vector<uint32_t>(256, 0x000000), 200, 0x3366CC},
      {"8 bits, 20 colours", 8, std::vector<uint32_t>(20, 0x000000), 19, 0xC08040},
      {"24 bits", 24, {}, 0, 0x10E020},
      {"24 bits top-down", 24, {}, 0, 0x10E020, false, true},
      {"32 bits", 32, {}, 0, 0xE02010},
      {"32 bits with masks", 32, {}, 0, 0x2010E0, true},
  };
  for (Row& row : rows) {
    TDib d;
    d.depth = row.depth;
    d.palette = row.palette;
    if (!d.palette.empty()) d.palette[size_t(row.index)] = row.rgb;
    d.index = [&](int x, int y) { return InBlock(x, y) ? row.index : 0; };
    d.rgb = [&](int x, int y) { return InBlock(x, y) ? row.rgb : 0u; };
    d.bitFields = row.bitFields;
    d.topDown = row.topDown;
    ExpectBlock(RenderDwgPreview(Read(MakeDwg(MakeDib(d))), QSize(100, 100)), 0xFF000000 | row.rgb,
                row.name);
  }
}

std::string Png(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes.toStdString();
}

TEST(DwgPicture, PngWithPaletteGreyAndColour) {
  QImage colour(16, 12, QImage::Format_RGB32);
  colour.fill(Qt::black);
  QImage palette(16, 12, QImage::Format_Indexed8);
  palette.setColorTable({qRgb(0, 0, 0), qRgb(200, 30, 90)});
  palette.fill(0);
  QImage grey(16, 12, QImage::Format_Grayscale8);
  grey.fill(0);
  for (int y = 0; y < 12; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (!InBlock(x, y)) continue;
      colour.setPixel(x, y, qRgb(20, 200, 250));
      palette.setPixel(x, y, 1);
      grey.scanLine(y)[x] = 0x80;
    }
  }
  const TDwgLayout png{.version = "AC1027", .code = 6};
  ExpectBlock(RenderDwgPreview(Read(MakeDwg(Png(colour), png)), QSize(100, 100)),
              qRgb(20, 200, 250), "colour");
  ExpectBlock(RenderDwgPreview(Read(MakeDwg(Png(palette), png)), QSize(100, 100)),
              qRgb(200, 30, 90), "palette");
  ExpectBlock(RenderDwgPreview(Read(MakeDwg(Png(grey), png)), QSize(100, 100)),
              qRgb(0x80, 0x80, 0x80), "grey");
}

TEST(DwgPicture, WhiteBackgroundEndsUpOnBlack) {
  QImage picture(16, 12, QImage::Format_RGB32);
  picture.fill(Qt::white);
  for (int x = 2; x < 14; ++x)
    picture.setPixel(x, 6, qRgb(0, 0, 0));
  picture.setPixel(8, 3, qRgb(255, 0, 0));
  const TDwgPicture p = RenderDwgPreview(Read(MakeDwg(Png(picture), {.code = 6})), QSize(100, 100));
  ASSERT_EQ(p.result, DwgPictureResult::Shown);
  EXPECT_TRUE(p.plan.swapped);
  EXPECT_EQ(p.plan.background, 0xFFFFFFu);
  int white = 0, red = 0, other = 0;
  for (int y = 1; y < 99; ++y) {
    for (int x = 1; x < 99; ++x) {
      const QRgb c = p.image.pixel(x, y);
      white += c == 0xFFFFFFFF;
      red += c == 0xFFFF0000;
      other += c != 0xFFFFFFFF && c != 0xFFFF0000 && c != kBlackPixel;
    }
  }
  EXPECT_GT(white, 0);
  EXPECT_GT(red, 0);
  EXPECT_EQ(other, 0);
}

TEST(DwgPicture, CrossBlackAndUndecodablePictures) {
  const TDwgPicture cross =
      RenderDwgPreview(Read(MakeDwg("", {.version = "AC1012"})), QSize(100, 100));
  EXPECT_EQ(cross.result, DwgPictureResult::Cross);
  // e = 100 / 8: from (12, 12) to (24, 24) and from (24, 12) to (12, 24), the frame around.
  EXPECT_EQ(cross.image.pixel(12, 12), kCyan);
  EXPECT_EQ(cross.image.pixel(18, 18), kCyan);
  EXPECT_EQ(cross.image.pixel(23, 13), kCyan);
  EXPECT_EQ(cross.image.pixel(50, 50), kBlackPixel);
  EXPECT_EQ(cross.image.pixel(0, 50), kCyan);

  const TDwgPicture black = RenderDwgPreview(TDwgPreview{}, QSize(30, 20));
  EXPECT_EQ(black.result, DwgPictureResult::Black);
  EXPECT_EQ(black.image.size(), QSize(30, 20));
  EXPECT_EQ(black.image.pixel(0, 0), kBlackPixel);

  QImage small(16, 12, QImage::Format_RGB32);
  small.fill(Qt::red);
  const std::string png = Png(small);
  const std::string undecodable[] = {
      MakeDwg(png.substr(0, png.size() / 2), {.code = 6}),  // cut short
      MakeDwg(std::string(200, 'x'), {.code = 6}),          // not a PNG
      MakeDwg(png, {.code = 2}),                            // a PNG called a bitmap
  };
  for (const std::string& bytes : undecodable) {
    const TDwgPicture p = RenderDwgPreview(Read(bytes), QSize(100, 100));
    EXPECT_EQ(p.result, DwgPictureResult::Abort);
    EXPECT_EQ(p.image.pixel(0, 0), kBlackPixel);
  }
  // A run-length bitmap that claims 30000 x 30000 pixels from a few bytes: the decoder's
  // allocation limit refuses it.
  std::string rle;
  test::PutU32(rle, 0, 40);
  test::PutU32(rle, 4, 30000);
  test::PutU32(rle, 8, 30000);
  test::PutU16(rle, 12, 1);
  test::PutU16(rle, 14, 8);
  test::PutU32(rle, 16, 1);
  test::PutU32(rle, 32, 2);
  rle.resize(40 + 8 + 4, '\0');
  rle[48 + 1] = 1;  // end of bitmap
  EXPECT_EQ(RenderDwgPreview(Read(MakeDwg(rle)), QSize(100, 100)).result, DwgPictureResult::Abort);
}

TEST(DwgPicture, ShowInABoxLeavesItBlackOnAbort) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("kestrel-dwgbox-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "bad.dwg", std::ios::binary) << "AC1015";
  preview::ImageBox box;
  box.resize(100, 100);
  box.setImage(QImage(100, 100, QImage::Format_RGB32));
  EXPECT_EQ(ShowDwgPreview((dir / "bad.dwg").string(), &box), DwgPictureResult::Abort);
  EXPECT_TRUE(box.image().isNull());
  EXPECT_EQ(ShowDwgPreview((dir / "missing.dwg").string(), &box), DwgPictureResult::Black);
  EXPECT_EQ(ShowDwgPreview("", &box), DwgPictureResult::Black);
  const std::string corpus = std::string(KESTREL_CORPUS_DIR) + "/dwg/libredwg_example_2000.dwg";
  EXPECT_EQ(ShowDwgPreview(corpus, &box), DwgPictureResult::Shown);
  EXPECT_EQ(box.image().size(), QSize(100, 100));
  std::filesystem::remove_all(dir);
}

// A 24- or 32-bit bottom-up bitmap read straight from the file, to hold the decoder's picture
// against.
QImage RawBitmap(const std::string& file, size_t start, int w, int h, int depth) {
  std::ifstream in(file, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  QImage image(w, h, QImage::Format_RGB32);
  const size_t row = (size_t(w) * size_t(depth) + 31) / 32 * 4;
  for (int y = 0; y < h; ++y) {
    const char* p = bytes.data() + start + 40 + size_t(h - 1 - y) * row;
    for (int x = 0; x < w; ++x) {
      const auto* px = reinterpret_cast<const uint8_t*>(p + size_t(x) * size_t(depth / 8));
      image.setPixel(x, y, qRgb(px[2], px[1], px[0]));
    }
  }
  return image;
}

TEST(DwgPicture, CorpusFilesGiveWhatTheirBytesCallFor) {
  struct Row {
    DwgPictureResult result;
    QSize picture;
  };
  const std::map<std::string, Row> expected = {
      {"libredwg_r11_entities-2d.dwg", {DwgPictureResult::Cross, {}}},
      {"libredwg_example_r13.dwg", {DwgPictureResult::Cross, {}}},  // R13: no preview shown
      {"libredwg_example_r14.dwg", {DwgPictureResult::Shown, {216, 140}}},
      {"libredwg_r14_v.dwg", {DwgPictureResult::Shown, {180, 116}}},
      {"libredwg_example_2000.dwg", {DwgPictureResult::Shown, {184, 126}}},
      {"libredwg_2000_PolyLine2D.dwg", {DwgPictureResult::Cross, {}}},
      {"ezdxf_807_1.dwg", {DwgPictureResult::Shown, {512, 265}}},
      {"libredwg_example_2004.dwg", {DwgPictureResult::Shown, {216, 140}}},
      {"libredwg_2004_HatchG.dwg", {DwgPictureResult::Shown, {184, 113}}},
      {"libredwg_example_2007.dwg", {DwgPictureResult::Shown, {672, 448}}},
      {"libredwg_2007_ATMOS-DC22S.dwg", {DwgPictureResult::Shown, {256, 160}}},
      {"qcad_din_a3_foot_landscape.dwg", {DwgPictureResult::Cross, {}}},
      {"libredwg_example_2010.dwg", {DwgPictureResult::Shown, {672, 448}}},
      {"libredwg_2010_gh209_1.dwg", {DwgPictureResult::Shown, {224, 140}}},
      {"libredwg_example_2013.dwg", {DwgPictureResult::Shown, {670, 448}}},
      {"libredwg_2013_gh109_1.dwg", {DwgPictureResult::Shown, {256, 111}}},
      {"ezdxf_dim_radial_tutorial.dwg", {DwgPictureResult::Shown, {512, 261}}},
      {"libredwg_example_2018.dwg", {DwgPictureResult::Shown, {852, 448}}},
      {"libredwg_sample_2018.dwg", {DwgPictureResult::Shown, {597, 448}}},
      {"libredwg_2018_Arc.dwg", {DwgPictureResult::Cross, {}}},
  };
  const std::filesystem::path dir = std::filesystem::path(KESTREL_CORPUS_DIR) / "dwg";
  size_t seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    const auto row = expected.find(name);
    ASSERT_NE(row, expected.end()) << "no expectation for " << name;
    ++seen;
    const TDwgPicture p = RenderDwgPreview(entry.path(), QSize(100, 100));
    EXPECT_EQ(p.result, row->second.result) << name << " " << p.reason;
    EXPECT_EQ(p.picture, row->second.picture) << name;
  }
  EXPECT_EQ(seen, expected.size());

  // The 24- and 32-bit pictures decode as their bytes say, not shifted by a fixed offset.
  struct Deep {
    const char* name;
    size_t start;
    int w, h, depth;
  } deep[] = {{"ezdxf_807_1.dwg", 339, 512, 265, 24},
              {"libredwg_2007_ATMOS-DC22S.dwg", 3488, 256, 160, 32}};
  for (const Deep& d : deep) {
    const std::string file = (dir / d.name).string();
    const TDwgPreview preview = ReadDwgPreviewFile(file);
    EXPECT_EQ(DecodeDwgPicture(preview), RawBitmap(file, d.start, d.w, d.h, d.depth)) << d.name;
  }
}

}  // namespace
}  // namespace kestrel::dwg
