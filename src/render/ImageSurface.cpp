#include "render/ImageSurface.h"

#include "render/DxfPreview.h"

namespace kestrel::render {

void ImageSurface::Redraw(DrawingDocument& doc, const ViewState& view, int width, int height,
                          bool drawAll, bool quick) {
  overlay_.reset();  // the painter must let go of the picture it replaces
  RedrawView(doc, view, *picture_, QSize(width, height), drawAll, quick);
  ++redraws_;
  if (shown_) shown_();
}

Canvas* ImageSurface::Overlay() {
  if (overlay_) return overlay_.get();
  if (picture_->isNull()) return nullptr;
  overlay_ = std::make_unique<QtCanvas>(*picture_);
  return overlay_.get();
}

}  // namespace kestrel::render
