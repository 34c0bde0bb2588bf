#include "render/ViewTransform.h"

namespace kestrel::render {

namespace {

// A sum or difference of finite numbers that overflowed is held at the largest double.
double HoldFinite(double v) {
  return std::isinf(v) ? std::copysign(DBL_MAX, v) : v;
}

bool IsFinite(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

ViewState FitView(const dxf::TBox& extents) {
  const TAcadPoint& lo = extents.lowerLeft;
  const TAcadPoint& hi = extents.upperRight;
  ViewState view;
  if (!IsFinite(lo) || !IsFinite(hi)) {
    view.ViewWidth = hi.x - lo.x;
    view.ViewHeight = hi.y - lo.y;
    view.ViewCenter = {(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, 0};
    return view;
  }
  view.ViewWidth = HoldFinite(hi.x - lo.x);
  view.ViewHeight = HoldFinite(hi.y - lo.y);
  // Halves added: the sum of two coordinates beyond half the largest double overflows.
  view.ViewCenter = {lo.x / 2 + hi.x / 2, lo.y / 2 + hi.y / 2, 0};
  return view;
}

double ViewScale(const ViewState& view, int width, int height) {
  double s = 1;
  double w = view.ViewWidth, h = view.ViewHeight;
  if (w > 0 && h > 0) {
    s = (h / w > double(height) / double(width)) ? h / height : w / width;
  } else if (w > 0) {
    s = w / width;
  } else if (h > 0) {
    s = h / height;
  }
  const double scaled = s / view.ZoomFactor;
  return std::isfinite(s) ? HoldFinite(scaled) : scaled;
}

bool ViewIsUsable(const ViewState& view, int width, int height) {
  const double w = view.ViewWidth, h = view.ViewHeight;
  if (!IsFinite(view.ViewCenter) || !std::isfinite(w) || !std::isfinite(h)) return false;
  if (w == 0 && h == 0) return false;
  if (!std::isfinite(view.ZoomFactor) || view.ZoomFactor == 0) return false;
  if (width <= 0 || height <= 0) return false;
  const double s = ViewScale(view, width, height);
  return std::isfinite(s) && s > 0;
}

bool ApplyViewChange(ViewState& view, const ViewState& changed, int width, int height) {
  if (!ViewIsUsable(changed, width, height)) return false;
  view = changed;
  return true;
}

TAcadPoint ScreenToWorld(ScreenPoint pixel, int width, int height, const ViewState& view) {
  if (!(view.ViewWidth > 0) && !(view.ViewHeight > 0)) return {0, 0, 0};
  double s = ViewScale(view, width, height);
  return {HoldFinite((pixel.x - width / 2) * s + view.ViewCenter.x),
          HoldFinite((height - pixel.y - height / 2) * s + view.ViewCenter.y), 0};
}

ViewWindow VisibleWindow(const ViewState& view, double s, int width, int height) {
  // Half the canvas times the scale: the whole canvas times it can overflow where half does not.
  const double halfW = width / 2.0 * s, halfH = height / 2.0 * s;
  const TAcadPoint& c = view.ViewCenter;
  return {HoldFinite(c.x - halfW), HoldFinite(c.y - halfH), HoldFinite(c.x + halfW),
          HoldFinite(c.y + halfH)};
}

}  // namespace kestrel::render
