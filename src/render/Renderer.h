// Draws the four draw lists of a post-processed drawing (lines, circles, arcs, texts) onto a
// canvas. Pens are resolved by post-processing: each record carries `PenColor`, `PenStyle` and
// `layindex`, and the renderer only reads them.
#pragma once

#include "dxf/Drawing.h"
#include "dxf/Geometry.h"
#include "render/Canvas.h"
#include "render/ViewTransform.h"

namespace kestrel::render {

struct DrawOptions {
  int width = 0;  // canvas size in pixels
  int height = 0;
  ScreenPoint origin;         // pixel of the view centre, normally (width / 2, height / 2)
  Color background = kBlack;  // a record of this colour is drawn in its inverse
  int penWidth = 1;
  bool drawAll = false;  // skip the visibility tests (the whole drawing is in view)
  bool quick = false;    // pan drag: every second line, circle and arc, no texts

  static DrawOptions ForCanvas(int width, int height) {
    DrawOptions o;
    o.width = width;
    o.height = height;
    o.origin = {width / 2, height / 2};
    return o;
  }
};

// Draws the drawing and returns the number of records drawn. Arcs are drawn with their angles
// as stored (NormalizeArcEnds makes them run from `st` up to `ed` when the drawing is loaded).
int DrawDrawing(Canvas& canvas, const dxf::Drawing& drawing, const ViewState& view,
                const DrawOptions& options);

// Arcs are stored running counter-clockwise from `st` to `ed`; one whose start is above its end
// gets 360 added to `ed`, once, when the drawing is loaded. Every redraw then reads the same
// angles.
void NormalizeArcEnds(dxf::Drawing& drawing);

// The pen a record is drawn with; width, colour and style are changed only when they differ.
struct LinePen {
  int width = 1;
  Color color = kWhite;
  PenStyle style = PenStyle::Solid;
};
void ApplyPen(Canvas& canvas, const LinePen& pen);

// Points are relative to the view centre; `s` is world units per pixel.
void DrawLine(Canvas& canvas, const TAcadPoint& a, const TAcadPoint& b, double s,
              ScreenPoint origin, const LinePen& pen);
// Angles in radians, counter-clockwise; equal angles draw the whole circle.
void DrawArc(Canvas& canvas, const TAcadPoint& c, double r, double a1, double a2, double s,
             ScreenPoint origin, const LinePen& pen);

// Visibility against the visible window (border included), on the records as stored.
bool LineInWindow(const dxf::TAcadLineBlk& line, const ViewWindow& w);
bool CircleInWindow(const dxf::TCircleBlk& circle, const ViewWindow& w);
bool ArcInWindow(const dxf::TArcBlk& arc, const ViewWindow& w);
bool TextInWindow(const dxf::TTextBlk& text, const ViewWindow& w);
// The same, with the sizes of long texts found once for every record that shares the string.
bool TextInWindow(const dxf::TTextBlk& text, const ViewWindow& w, dxf::TextSizes& sizes);

// Fills the canvas with `color`; leaves a white pen in copy mode.
void ClearCanvas(Canvas& canvas, int width, int height, Color color);
// The cyan frame around a view.
void DrawViewFrame(Canvas& canvas, int width, int height);

}  // namespace kestrel::render
