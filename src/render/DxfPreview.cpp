#include "render/DxfPreview.h"

#include <exception>

#include "dxf/PostProcess.h"
#include "render/QtCanvas.h"
#include "render/Renderer.h"

namespace kestrel::render {

void DrawCrossPicture(Canvas& canvas, int width, int height) {
  ClearCanvas(canvas, width, height, kBlack);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(PenStyle::Solid);
  canvas.SetPenColor(kCyan);
  const int w3 = width / 3, h3 = height / 3;
  canvas.MoveTo(w3, h3);
  canvas.LineTo(2 * w3 - 1, 2 * h3 - 1);
  canvas.MoveTo(2 * w3 - 1, h3);
  canvas.LineTo(w3, 2 * h3 - 1);
  DrawViewFrame(canvas, width, height);
}

namespace {

QImage BlackImage(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::black);
  return image;
}

// The renderer may leave a wide or dashed pen behind; the frame is always one solid pixel.
void DrawFrameOnTop(Canvas& canvas, int width, int height) {
  canvas.SetPenMode(PenMode::Copy);
  canvas.SetPenWidth(1);
  canvas.SetPenStyle(PenStyle::Solid);
  DrawViewFrame(canvas, width, height);
}

// Draws the fitted drawing; false when the file cannot be drawn.
bool TryLoad(DrawingDocument& doc, const std::filesystem::path& path, QImage& image,
             const ProgressSink& progress, const MessageSink& messages) {
  const dxf::PreparedDxf prepared = dxf::PrepareDxfDrawing(doc.drawing, path, progress, messages);
  if (!prepared.error.empty()) return false;
  NormalizeArcEnds(doc.drawing);
  doc.view = FitView(doc.drawing.DrawingExtents);
  QtCanvas canvas(image);
  const int w = image.width(), h = image.height();
  ClearCanvas(canvas, w, h, kBlack);
  DrawOptions options = DrawOptions::ForCanvas(w, h);
  options.background = kBlack;
  options.penWidth = 1;
  options.drawAll = true;
  options.quick = false;
  DrawDrawing(canvas, doc.drawing, doc.view, options);
  DrawFrameOnTop(canvas, w, h);
  return true;
}

}  // namespace

QImage LoadDxfPreview(DrawingDocument& doc, const std::filesystem::path& path, QSize size,
                      const ProgressSink& progress, const MessageSink& messages) {
  doc.DrawingShown = false;
  if (size.width() <= 0 || size.height() <= 0) return QImage();
  QImage image = BlackImage(size);
  if (image.isNull()) return image;  // a size no memory holds
  try {
    doc.DrawingShown = TryLoad(doc, path, image, progress, messages);
  } catch (const std::exception&) {
    // Out of memory or any other failure while post-processing or drawing: the cross below,
    // for which the drawing gives its memory back first.
    doc.DrawingShown = false;
    doc.drawing = dxf::Drawing();
  }
  if (doc.DrawingShown) return image;
  image = BlackImage(size);
  QtCanvas canvas(image);
  DrawCrossPicture(canvas, size.width(), size.height());
  return image;
}

QImage RedrawView(DrawingDocument& doc, QSize size, bool drawAll) {
  QImage image;
  RedrawView(doc, doc.view, image, size, drawAll, false);
  return image;
}

void RedrawView(DrawingDocument& doc, const ViewState& view, QImage& image, QSize size,
                bool drawAll, bool quick) {
  if (size.width() <= 0 || size.height() <= 0) {
    image = QImage();
    return;
  }
  if (image.size() != size || image.format() != QImage::Format_RGB32) {
    image = QImage(size, QImage::Format_RGB32);
    if (image.isNull()) return;  // a size no memory holds
  }
  QtCanvas canvas(image);
  const int w = size.width(), h = size.height();
  ClearCanvas(canvas, w, h, kBlack);
  DrawViewFrame(canvas, w, h);
  DrawOptions options = DrawOptions::ForCanvas(w, h);
  options.drawAll = drawAll;
  options.quick = quick;
  try {
    DrawDrawing(canvas, doc.drawing, view, options);
  } catch (const std::exception&) {
    // Out of memory while drawing: the drawing cannot be shown.
    doc.DrawingShown = false;
    DrawCrossPicture(canvas, w, h);
  }
}

}  // namespace kestrel::render
