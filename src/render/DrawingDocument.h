// The drawing on show and its view: what a load leaves for the interactive view.
#pragma once

#include "dxf/Drawing.h"
#include "render/ViewTransform.h"

namespace kestrel::render {

struct DrawingDocument {
  dxf::Drawing drawing;
  ViewState view;
  bool DrawingShown = false;  // a drawing is on show; mouse handling waits for it
  bool CrossShown = false;    // the crosshair is on the view

  // Discards the drawing as a new selection does; the view values stay until the next fit.
  void ClearDrawing() { dxf::ClearDrawing(drawing); }
};

}  // namespace kestrel::render
