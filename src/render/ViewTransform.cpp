#include "render/ViewTransform.h"

namespace kestrel::render {

ViewState FitView(const dxf::TBox& extents) {
  ViewState view;
  view.ViewWidth = extents.upperRight.x - extents.lowerLeft.x;
  view.ViewHeight = extents.upperRight.y - extents.lowerLeft.y;
  view.ViewCenter = {(extents.lowerLeft.x + extents.upperRight.x) / 2,
                     (extents.lowerLeft.y + extents.upperRight.y) / 2, 0};
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
  return s / view.ZoomFactor;
}

TAcadPoint ScreenToWorld(ScreenPoint pixel, int width, int height, const ViewState& view) {
  if (!(view.ViewWidth > 0) && !(view.ViewHeight > 0)) return {0, 0, 0};
  double s = ViewScale(view, width, height);
  return {(pixel.x - width / 2) * s + view.ViewCenter.x,
          (height - pixel.y - height / 2) * s + view.ViewCenter.y, 0};
}

ViewWindow VisibleWindow(const ViewState& view, double s, int width, int height) {
  return {view.ViewCenter.x - width * s / 2, view.ViewCenter.y - height * s / 2,
          view.ViewCenter.x + width * s / 2, view.ViewCenter.y + height * s / 2};
}

}  // namespace kestrel::render
