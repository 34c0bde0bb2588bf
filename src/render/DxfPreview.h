// Showing a DXF file as a picture: the checks, the read and post-processing, the fit, and the
// drawing into an off-screen image with its cyan frame, or the cyan X when the file cannot be
// drawn. The drawing and its view stay with the caller, so that the view can be redrawn, zoomed
// and panned without reading the file again.
#pragma once

#include <QImage>
#include <QSize>
#include <filesystem>

#include "base/Messages.h"
#include "dxf/Drawing.h"
#include "render/Canvas.h"
#include "render/DrawingDocument.h"
#include "render/ViewTransform.h"

namespace kestrel::render {

// Draws `path` into a picture of `size` (black, cyan frame) and returns it. Anything that stops
// the drawing (missing file, not an ASCII DXF, header or reader error, a failure while
// post-processing or drawing, a drawing past its memory budget, running out of memory) gives the
// cross picture and leaves `DrawingShown` false. The
// reader moves `progress` and reports a value that is not a number through `messages`.
QImage LoadDxfPreview(DrawingDocument& doc, const std::filesystem::path& path, QSize size,
                      const ProgressSink& progress = {}, const MessageSink& messages = {});

// The document's drawing in its current view at `size`: black, cyan frame, drawing centred.
// Running out of memory while drawing gives the cross picture and clears `DrawingShown`.
QImage RedrawView(DrawingDocument& doc, QSize size, bool drawAll);
// The same with the view given: a pan drag draws its provisional centre, `quick`. Drawn into
// `image`, which keeps its memory when it has the size already: a redraw then does not fault
// in a fresh picture's pages.
void RedrawView(DrawingDocument& doc, const ViewState& view, QImage& image, QSize size,
                bool drawAll, bool quick);

// Black, a cyan X over the middle third and the cyan frame: "this file cannot be drawn".
void DrawCrossPicture(Canvas& canvas, int width, int height);

}  // namespace kestrel::render
