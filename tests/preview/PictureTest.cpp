#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <filesystem>

#include "common/SpecialFiles.h"
#include "preview/Picture.h"

using namespace kestrel::preview;

namespace {

const QString kFixtures = QStringLiteral(KESTREL_FIXTURES_DIR "/preview/");

QByteArray ReadFixture(const char* name) {
  QFile f(kFixtures + name);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
  return f.readAll();
}

// Red on the left half, green in the middle of the right half, as drawn by the fixtures.
void ExpectRedGreen(const QImage& image) {
  ASSERT_FALSE(image.isNull());
  const int w = image.width(), h = image.height();
  EXPECT_EQ(QColor(image.pixel(w / 4, h / 2)), QColor(Qt::red));
  EXPECT_EQ(QColor(image.pixel(3 * w / 4, h / 2)), QColor(Qt::green));
}

}  // namespace

TEST(Picture, LoadsEveryPictureType) {
  QTemporaryDir dir;
  QImage source(40, 20, QImage::Format_RGB32);
  source.fill(Qt::red);
  for (int y = 0; y < 20; ++y) {
    for (int x = 20; x < 40; ++x)
      source.setPixel(x, y, qRgb(0, 255, 0));
  }
  for (const char* format : {"bmp", "png", "ico", "jpg"}) {
    SCOPED_TRACE(format);
    const QString path = dir.filePath(QStringLiteral("p.") + format);
    ASSERT_TRUE(source.save(path, format));
    const QImage image = LoadPicture(path.toStdString());
    ASSERT_EQ(image.size(), source.size());
    // JPEG is lossy: compare loosely.
    EXPECT_GT(qRed(image.pixel(5, 10)), 200);
    EXPECT_GT(qGreen(image.pixel(35, 10)), 200);
    // A size to fit into never makes a picture larger, nor changes its proportions.
    const QImage fitted = LoadPicture(path.toStdString(), QSize(10, 10));
    EXPECT_TRUE(fitted.size() == QSize(10, 5) || fitted.size() == source.size())
        << fitted.size().width();
  }
  for (const char* name : {"red-green.wmf", "red-green.emf"}) {
    SCOPED_TRACE(name);
    const QImage image = LoadPicture((kFixtures + name).toStdString());
    ExpectRedGreen(image);
    EXPECT_NEAR(double(image.width()) / image.height(), 2.0, 0.1);
  }
}

TEST(Picture, DamagedFilesFailWithoutCrashing) {
  QTemporaryDir dir;
  EXPECT_TRUE(LoadPicture(dir.filePath("missing.png").toStdString()).isNull());
  for (const char* ext : {"png", "bmp", "jpg", "ico", "wmf", "emf"}) {
    const QString path = dir.filePath(QStringLiteral("junk.") + ext);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a picture at all, just some text\r\n");
    f.close();
    EXPECT_TRUE(LoadPicture(path.toStdString()).isNull()) << ext;
  }
  // Every prefix of the metafiles: a truncated file gives at most a partial picture.
  for (const char* name : {"red-green.wmf", "red-green.emf"}) {
    const QByteArray whole = ReadFixture(name);
    const bool wmf = QByteArray(name).endsWith("wmf");
    for (int n = 0; n < whole.size(); ++n) {
      const auto svg = wmf ? WmfToSvg(whole.left(n)) : EmfToSvg(whole.left(n));
      if (svg) RasterizeSvg(*svg);
    }
  }
}

TEST(Picture, HostileSizesAreBounded) {
  QTemporaryDir dir;
  // A PNG header claiming 30000 x 30000 pixels: refused (Qt's allocation limit), no crash.
  const QString png = dir.filePath("huge.png");
  {
    QFile f(png);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(
        QByteArray("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00"
                   "\x75\x30\x00\x00\x75\x30\x08\x06\x00\x00\x00\x66\x27\xF8\xBA",
                   33));
  }
  EXPECT_TRUE(LoadPicture(png.toStdString()).isNull());

  // The WMF fixture at one unit per inch: 100 inches wide at 96 dpi. Drawn, but bounded.
  QByteArray wmf = ReadFixture("red-green.wmf");
  wmf[14] = 1;
  wmf[15] = 0;
  uint16_t checksum = 0;
  for (int i = 0; i < 20; i += 2)
    checksum ^= uint16_t(uchar(wmf[i]) | uchar(wmf[i + 1]) << 8);
  wmf[20] = char(checksum & 0xFF);
  wmf[21] = char(checksum >> 8);
  const auto svg = WmfToSvg(wmf);
  ASSERT_TRUE(svg);
  const QImage image = RasterizeSvg(*svg);
  ASSERT_FALSE(image.isNull());
  EXPECT_LE(std::max(image.width(), image.height()), 4096);
  ExpectRedGreen(image);
}

TEST(Picture, DrawsOnBlackScaledOrCentred) {
  QImage picture(40, 20, QImage::Format_RGB32);
  picture.fill(Qt::white);

  // Thumbnail: scaled up to 100 x 50, centred vertically.
  const QImage thumb = PictureOnBlack(picture, QSize(100, 100), PictureFit::ScaleToFit);
  ASSERT_EQ(thumb.size(), QSize(100, 100));
  EXPECT_EQ(thumb.pixel(50, 24), qRgb(0, 0, 0));
  EXPECT_EQ(thumb.pixel(0, 25), qRgb(255, 255, 255));
  EXPECT_EQ(thumb.pixel(99, 74), qRgb(255, 255, 255));
  EXPECT_EQ(thumb.pixel(50, 75), qRgb(0, 0, 0));

  // Drawing tab: actual size in the middle.
  const QImage tab = PictureOnBlack(picture, QSize(100, 100), PictureFit::Centre);
  EXPECT_EQ(tab.pixel(29, 50), qRgb(0, 0, 0));
  EXPECT_EQ(tab.pixel(30, 40), qRgb(255, 255, 255));
  EXPECT_EQ(tab.pixel(69, 59), qRgb(255, 255, 255));
  EXPECT_EQ(tab.pixel(70, 50), qRgb(0, 0, 0));

  // Larger than the target: centred and cut off on both sides.
  QImage big(300, 10, QImage::Format_RGB32);
  big.fill(Qt::white);
  const QImage cut = PictureOnBlack(big, QSize(100, 100), PictureFit::Centre);
  EXPECT_EQ(cut.pixel(0, 45), qRgb(255, 255, 255));
  EXPECT_EQ(cut.pixel(99, 54), qRgb(255, 255, 255));
  EXPECT_EQ(cut.pixel(50, 44), qRgb(0, 0, 0));

  const QImage none = PictureOnBlack(QImage(), QSize(100, 100), PictureFit::ScaleToFit);
  EXPECT_EQ(none.pixel(50, 50), qRgb(0, 0, 0));
}

// A picture file chosen in the list may be a FIFO, socket, device or folder: the image is
// empty at once, and nothing waits for a writer or reads without end.
TEST(Picture, SpecialFilesGiveNoPictureWithoutWaiting) {
  for (const char* ext : {".png", ".jpg", ".wmf"}) {
    const kestrel::test::SpecialFiles special(ext);
    for (const kestrel::test::SpecialFile& file : special.Files()) {
      SCOPED_TRACE(file.kind + " named " + ext);
      const auto loaded = kestrel::test::SpecialFiles::Read(file, [](const std::string& path) {
        return std::string(LoadPicture(path).isNull() ? "none" : "a picture");
      });
      EXPECT_EQ(loaded, "none") << "(nothing: it did not return within a second)";
    }
  }
}

TEST(Picture, LoadsFromTheFileSystemsNameOfThePath) {
  // A name that is not valid UTF-8 is still found: the path goes to the system as bytes.
  QTemporaryDir dir;
  QImage source(8, 4, QImage::Format_RGB32);
  source.fill(Qt::red);
  const std::string path = dir.path().toStdString() + "/\x93\xFA\x96\x7B.png";  // CP932 "日本"
  ASSERT_TRUE(source.save(QString::fromStdString(dir.path().toStdString() + "/p.png"), "png"));
  std::filesystem::rename(dir.path().toStdString() + "/p.png", path);
  EXPECT_EQ(LoadPicture(path).size(), source.size());
}
