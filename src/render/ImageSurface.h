// The drawing view's pictures as Qt images: each redraw makes a new picture, and the overlays
// are painted straight onto the shown one with raster operations, so drawing an overlay twice
// gives back the exact pixels.
#pragma once

#include <QImage>
#include <functional>
#include <memory>

#include "render/DrawingView.h"
#include "render/QtCanvas.h"

namespace kestrel::render {

class ImageSurface : public ViewSurface {
 public:
  // Pictures go to `*picture`; `shown` runs after each redraw (the widget repaints).
  explicit ImageSurface(QImage* picture, std::function<void()> shown = {})
      : picture_(picture), shown_(std::move(shown)) {}

  void Redraw(DrawingDocument& doc, const ViewState& view, int width, int height, bool drawAll,
              bool quick) override;
  Canvas* Overlay() override;
  // Ends the painting of overlays: the picture then holds them. Call after each event.
  void Finish() { overlay_.reset(); }

  // Redraws so far (the benchmark and tests count them).
  int redraws() const { return redraws_; }

 private:
  QImage* picture_;
  std::function<void()> shown_;
  std::unique_ptr<QtCanvas> overlay_;
  int redraws_ = 0;
};

}  // namespace kestrel::render
