#include "preview/Picture.h"

#include <QBuffer>
#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <memory>

#include "base/PathBytes.h"
#include "base/RegularFile.h"
#include "preview/core/PreviewRules.h"

extern "C" {
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/svg.h>
}

namespace kestrel::preview {
namespace {

// Largest side of a rasterized metafile. A metafile's size is only a number in its header.
constexpr int kMaxRasterSide = 4096;

// Metafiles are read whole; larger ones are not pictures anyone previews.
constexpr uint64_t kMaxMetafileBytes = 64 << 20;
// Other pictures are decoded from their bytes in memory too. Qt refuses to decode pictures
// beyond 256 MB anyway, and hardly a picture file is larger than its decoded picture.
constexpr uint64_t kMaxPictureBytes = uint64_t(512) << 20;

// The file's bytes, read as a regular file: a FIFO or a device is never waited on.
std::optional<QByteArray> ReadPictureFile(const std::filesystem::path& path, uint64_t maxBytes) {
  RegularFile file = RegularFile::Open(path);
  if (!file.IsOpen() || file.Size() > maxBytes) return std::nullopt;
  QByteArray bytes(qsizetype(file.Size()), Qt::Uninitialized);
  bytes.truncate(qsizetype(file.Read(bytes.data(), size_t(bytes.size()))));
  if (file.Failed()) return std::nullopt;
  return bytes;
}

uint32_t Le32(const QByteArray& b, int at) {
  uint32_t v = 0;
  std::memcpy(&v, b.constData() + at, 4);
  return qFromLittleEndian(v);
}

struct WmfApi {
  wmfAPI* api = nullptr;
  ~WmfApi() {
    if (api) wmf_api_destroy(api);
  }
};

}  // namespace

std::optional<QByteArray> WmfToSvg(const QByteArray& wmf) {
  // Either a placeable header or a standard one (type 1 or 2, header size 9 words).
  if (wmf.size() < 18) return std::nullopt;
  const bool placeable = Le32(wmf, 0) == 0x9AC6CDD7u;
  if (!placeable && !(Le32(wmf, 0) == 0x00090001u || Le32(wmf, 0) == 0x00090002u))
    return std::nullopt;

  wmfAPI_Options options{};
  options.function = wmf_svg_function;
  const unsigned long flags =
      WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
  WmfApi w;
  if (wmf_api_create(&w.api, flags, &options) != wmf_E_None) return std::nullopt;
  // libwmf reads from a buffer it does not own and never writes to it.
  auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(wmf.constData()));
  if (wmf_mem_open(w.api, data, wmf.size()) != wmf_E_None) return std::nullopt;
  wmfD_Rect bbox{};
  if (wmf_scan(w.api, 0, &bbox) != wmf_E_None) return std::nullopt;
  unsigned int width = 0, height = 0;
  if (wmf_display_size(w.api, &width, &height, 96, 96) != wmf_E_None || width == 0 || height == 0)
    return std::nullopt;

  wmf_svg_t* svg = WMF_SVG_GetData(w.api);
  svg->out = wmf_stream_create(w.api, nullptr);
  svg->Description = const_cast<char*>("Kestrel");
  svg->bbox = bbox;
  svg->width = width;
  svg->height = height;
  const wmf_error_t played = wmf_play(w.api, 0, &bbox);
  char* buf = nullptr;
  unsigned long length = 0;
  wmf_stream_destroy(w.api, svg->out, &buf, &length);
  if (played != wmf_E_None || !buf) return std::nullopt;
  // The buffer belongs to the API's allocator: copy it before the API goes.
  return QByteArray(buf, int(length));
}

std::optional<QByteArray> EmfToSvg(const QByteArray& emf) {
  // EMR_HEADER: record type 1, its size, and " EMF" at offset 40.
  if (emf.size() < 88 || Le32(emf, 0) != 1 || Le32(emf, 40) != 0x464D4520u) return std::nullopt;
  const uint32_t headerSize = Le32(emf, 4);
  if (headerSize < 88 || headerSize > uint32_t(emf.size())) return std::nullopt;

  generatorOptions options{};
  options.nameSpace = const_cast<char*>("svg");
  options.svgDelimiter = true;
  options.emfplus = true;
  char* out = nullptr;
  size_t outLength = 0;
  QByteArray copy = emf;  // the converter takes a mutable buffer
  const int ok = emf2svg(copy.data(), size_t(copy.size()), &out, &outLength, &options);
  std::unique_ptr<char, decltype(&std::free)> owned(out, &std::free);
  if (!ok || !out || outLength == 0) return std::nullopt;
  return QByteArray(out, qsizetype(outLength));
}

QImage RasterizeSvg(const QByteArray& svg) {
  QSvgRenderer renderer(svg);
  if (!renderer.isValid()) return {};
  QSizeF size = renderer.defaultSize();
  if (size.isEmpty()) size = renderer.viewBoxF().size();
  if (size.isEmpty() || !std::isfinite(size.width()) || !std::isfinite(size.height())) return {};
  if (size.width() > kMaxRasterSide || size.height() > kMaxRasterSide)
    size.scale(kMaxRasterSide, kMaxRasterSide, Qt::KeepAspectRatio);
  const QSize pixels(std::max(1, qRound(size.width())), std::max(1, qRound(size.height())));
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  if (image.isNull()) return {};
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
  return image;
}

QImage LoadPicture(const std::string& path, QSize fitInto) {
  const std::string ext = UpperExtension(path);
  if (ext == ".WMF" || ext == ".EMF") {
    const auto bytes = ReadPictureFile(NativePath(path), kMaxMetafileBytes);
    if (!bytes) return {};
    const auto svg = ext == ".WMF" ? WmfToSvg(*bytes) : EmfToSvg(*bytes);
    return svg ? RasterizeSvg(*svg) : QImage();
  }
  std::optional<QByteArray> bytes = ReadPictureFile(NativePath(path), kMaxPictureBytes);
  if (!bytes) return {};
  // Without a file name the reader decides the format from the content alone.
  QBuffer buffer(&*bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  if (fitInto.isValid() && reader.supportsOption(QImageIOHandler::ScaledSize)) {
    QSize size = reader.size();
    if (size.isValid() && (size.width() > fitInto.width() || size.height() > fitInto.height())) {
      size.scale(fitInto, Qt::KeepAspectRatio);
      reader.setScaledSize(size.expandedTo(QSize(1, 1)));
    }
  }
  return reader.read();
}

QImage PictureOnBlack(const QImage& picture, QSize target, PictureFit fit) {
  QImage out(target.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
  out.fill(Qt::black);
  if (picture.isNull()) return out;
  QPainter painter(&out);
  QImage shown = picture;
  if (fit == PictureFit::ScaleToFit && picture.size() != out.size()) {
    // Area-averaged, so that a large picture does not alias when shrunk to a thumbnail.
    shown = picture.scaled(out.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  const QPoint at((out.width() - shown.width()) / 2, (out.height() - shown.height()) / 2);
  painter.drawImage(at, shown);
  return out;
}

}  // namespace kestrel::preview
