// The view state of a drawing view and the transform between world units and pixels.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "dxf/Drawing.h"
#include "render/Canvas.h"

namespace kestrel::render {

using dxf::TAcadPoint;

inline constexpr double kZoomFactor = 0.9;

struct ViewState {
  TAcadPoint ViewCenter;  // world point at the centre of the view (x and y)
  double ViewWidth = 0;   // world size of the box the view is fitted to
  double ViewHeight = 0;
  double ZoomFactor = kZoomFactor;  // the fitted box fills this share of the view
  int ColorMode = 0;                // 0: each record in its own colour (the only mode)
};

// The view fitted to a drawing's extents, as a load leaves it. Finite extents give a finite
// view: a side longer than the largest double is held at it.
ViewState FitView(const dxf::TBox& extents);

// World units per pixel for a canvas of `width` × `height` pixels. A box with only one side
// above 0 (a single horizontal or vertical line) is fitted by that side. A finite view gives a
// finite scale.
double ViewScale(const ViewState& view, int width, int height);

// Whether `view` can be drawn on a canvas of `width` × `height`: a finite centre, a finite size
// that is not zero, and a finite scale above zero.
bool ViewIsUsable(const ViewState& view, int width, int height);

// Takes `changed` as the view (a zoom, a pan, a fit) only when it is usable; otherwise the view
// stays as it was and the result is false.
bool ApplyViewChange(ViewState& view, const ViewState& changed, int width, int height);

// Nearest whole pixel, ties to even. Positions a billion pixels away are held there, so that
// hostile coordinates cannot overflow; no view comes near them.
inline int RoundPixel(double v) {
  if (v >= -1e9 && v <= 1e9) return int(RoundHalfEven(v));  // NaN fails both tests
  return std::isnan(v) ? 0 : v < 0 ? -1000000000 : 1000000000;
}

// Pixel position of a world point already made relative to the view centre.
inline ScreenPoint WorldToScreen(const TAcadPoint& p, double s, ScreenPoint origin) {
  return {RoundPixel(p.x / s) + origin.x, RoundPixel(-p.y / s) + origin.y};
}

// World point under a pixel of a canvas of `width` × `height`; (0, 0, 0) when the view has no
// size at all.
TAcadPoint ScreenToWorld(ScreenPoint pixel, int width, int height, const ViewState& view);

// The world rectangle a canvas of `width` × `height` shows at scale `s`.
struct ViewWindow {
  double minx = 0, miny = 0, maxx = 0, maxy = 0;
};
ViewWindow VisibleWindow(const ViewState& view, double s, int width, int height);

inline Color InvertColor(Color c) {
  return 0xFFFFFF - (c & 0xFFFFFF);
}

}  // namespace kestrel::render
