#include "dwg/DwgPicture.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

#include "render/QtCanvas.h"
#include "render/Renderer.h"

namespace kestrel::dwg {
namespace {

QImage BlackImage(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

void DrawFrame(QImage& image) {
  render::QtCanvas canvas(image);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(render::PenStyle::Solid);
  canvas.SetPenMode(render::PenMode::Copy);
  render::DrawViewFrame(canvas, image.width(), image.height());
}

TPixels PixelsOf(QImage& image) {
  return TPixels{reinterpret_cast<uint32_t*>(image.bits()), image.width(), image.height(),
                 image.bytesPerLine() / 4};
}

}  // namespace

void DrawNoPreviewCross(QImage& image) {
  image.fill(Qt::black);
  render::QtCanvas canvas(image);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(render::PenStyle::Solid);
  canvas.SetPenMode(render::PenMode::Copy);
  render::DrawViewFrame(canvas, image.width(), image.height());
  // Both arms are measured on the width, as the cross has always been drawn.
  const int e = image.width() / 8;
  canvas.SetPenColor(render::kCyan);
  canvas.MoveTo(e, e);
  canvas.LineTo(2 * e, 2 * e);
  canvas.MoveTo(2 * e, e);
  canvas.LineTo(e, 2 * e);
}

QImage DecodeDwgPicture(const TDwgPreview& preview) {
  const QByteArray bytes =
      QByteArray::fromRawData(preview.bytes.data(), qsizetype(preview.bytes.size()));
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, preview.kind == DwgPictureKind::Png ? "png" : "bmp");
  reader.setAllocationLimit(kDecodeLimitMiB);
  QImage image = reader.read();
  if (image.isNull()) return image;
  return image.convertToFormat(QImage::Format_RGB32);
}

TDwgPicture RenderDwgPreview(const TDwgPreview& preview, QSize size) {
  TDwgPicture out;
  out.image = BlackImage(size);
  out.version = preview.version;
  out.code = preview.code;
  switch (preview.status) {
    case DwgPreviewStatus::NoFile:
      out.result = DwgPictureResult::Black;
      return out;
    case DwgPreviewStatus::Abort:
      out.result = DwgPictureResult::Abort;
      out.reason = preview.reason;
      return out;
    case DwgPreviewStatus::NoPreview:
      out.result = DwgPictureResult::Cross;
      DrawNoPreviewCross(out.image);
      return out;
    case DwgPreviewStatus::Picture:
      break;
  }
  QImage picture = DecodeDwgPicture(preview);
  if (picture.isNull() || picture.width() < 1 || picture.height() < 1) {
    out.result = DwgPictureResult::Abort;
    out.reason = "picture cannot be decoded";
    return out;
  }
  out.picture = picture.size();
  TPixels pixels = PixelsOf(picture);
  out.plan = PlanPreview(pixels, size.width(), size.height());
  if (out.plan.targetW > 0 && out.plan.targetH > 0) {
    QImage fitted(out.plan.targetW, out.plan.targetH, QImage::Format_RGB32);
    fitted.fill(Qt::black);
    TPixels target = PixelsOf(fitted);
    StretchBrightOnBlack(pixels, out.plan.source, target);
    QPainter painter(&out.image);
    painter.drawImage(QPoint(out.plan.atX, out.plan.atY), fitted);
  }
  DrawFrame(out.image);
  out.result = DwgPictureResult::Shown;
  return out;
}

TDwgPicture RenderDwgPreview(const std::filesystem::path& path, QSize size) {
  return RenderDwgPreview(ReadDwgPreviewFile(path), size);
}

}  // namespace kestrel::dwg
