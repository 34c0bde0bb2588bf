#include "render/DrawingView.h"

#include <charconv>
#include <cmath>
#include <optional>

#include "dxf/Colors.h"
#include "dxf/Geometry.h"
#include "render/Renderer.h"

namespace kestrel::render {

namespace {

constexpr int kGestureThreshold = 11;  // pixels, in both directions
constexpr Color kCrossColor = 0x008000;
constexpr int kHighlightWidth = 7;
constexpr int kBandWidth = 3;

bool IsFinitePoint(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

// Where a text is picked: a justified TEXT by its second alignment point, any other by its
// first. An MTEXT's second point is the direction of its lines, not a place in the drawing, so
// an MTEXT is always picked by its insertion point.
const TAcadPoint& PickPoint(const dxf::TTextBlk& t) {
  return (!t.mtflag && (t.code72 != 0 || t.code73 != 0)) ? t.pt11 : t.pt10;
}

}  // namespace

const char* RedrawName(Redraw redraw) {
  switch (redraw) {
    case Redraw::View:
      return "view";
    case Redraw::All:
      return "all";
    case Redraw::Quick:
      return "quick";
    case Redraw::None:
      break;
  }
  return "none";
}

std::string FormatFixed(double value, int decimals) {
  // The largest double has 309 digits before the point.
  char buffer[400];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
  if (error != std::errc()) return "?";
  return std::string(buffer, end);
}

bool DrawingView::MouseReady() const {
  return doc_.DrawingShown && conditions.showTicked && conditions.entrySelected;
}

bool DrawingView::Apply(const ViewState& changed) {
  const ViewState& v = doc_.view;
  if ((v.ViewWidth > 0 && !(changed.ViewWidth > 0)) ||
      (v.ViewHeight > 0 && !(changed.ViewHeight > 0))) {
    return false;  // zoomed into nothing: the drawing would be gone for good
  }
  if (!IsFinitePoint(changed.ViewCenter)) return false;
  return ApplyViewChange(doc_.view, changed, width_, height_);
}

TAcadPoint DrawingView::World(int x, int y) const {
  return ScreenToWorld({x, y}, width_, height_, doc_.view);
}

void DrawingView::DrawRedraw(const ViewState& view, bool drawAll, bool quick) {
  if (surface_) surface_->Redraw(doc_, view, width_, height_, drawAll, quick);
}

void DrawingView::SetEdit4(std::string text, ViewEvent& result) {
  edit4_ = std::move(text);
  result.edit4Changed = true;
}

void DrawingView::Loaded() {
  doc_.CrossShown = false;
  boxMode_ = panMode_ = false;
  PickedLine = PickedCircle = PickedArc = PickedText = -1;
}

void DrawingView::Dropped() {
  doc_.DrawingShown = false;
  Loaded();
}

// ---- wheel ---------------------------------------------------------------------------------

ViewEvent DrawingView::Wheel(bool down, int x, int y, bool overPage, bool* handled) {
  ViewEvent result;
  if (handled) *handled = false;
  // The crosshair is forgotten only with the picture it is on (a wheel that does nothing
  // leaves it there, and the next move removes it).
  if (!overPage || !conditions.tabActive || !MouseReady()) return result;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return result;
  if (handled) *handled = true;
  const TAcadPoint p = World(x, y);
  const double dx = p.x - doc_.view.ViewCenter.x, dy = p.y - doc_.view.ViewCenter.y;
  const double f = down ? 2.0 : 0.5;
  ViewState changed = doc_.view;
  changed.ViewWidth *= f;
  changed.ViewHeight *= f;
  changed.ViewCenter = {p.x - f * dx, p.y - f * dy, 0};
  const ViewState before = doc_.view;
  if (!Apply(changed)) return result;  // a zoom past what doubles hold: the view stays
  prevCenter_ = before.ViewCenter;
  prevWidth_ = before.ViewWidth;
  prevHeight_ = before.ViewHeight;
  // The picture is replaced: the crosshair on it goes with it.
  doc_.CrossShown = false;
  if (wheelBusy_) {
    // A notch while its redraw runs: that redraw is followed by one more, of the latest view.
    wheelPending_ = true;
    return result;
  }
  wheelBusy_ = true;
  do {
    wheelPending_ = false;
    DrawRedraw(doc_.view, false, false);
  } while (wheelPending_);
  wheelBusy_ = false;
  result.redraw = Redraw::View;
  return result;
}

// ---- button down ---------------------------------------------------------------------------

void DrawingView::DrawBand(Canvas& canvas, int x, int y, ViewEvent& result) const {
  canvas.SetPenStyle(PenStyle::DashDotDot);
  canvas.SetPenMode(PenMode::NotXor);
  canvas.SetPenWidth(kBandWidth);
  canvas.SetPenColor(kBlack);
  canvas.SetBrushStyle(BrushStyle::Clear);
  const PixelRect r{std::min(press_.x, x), std::min(press_.y, y), std::max(press_.x, x),
                    std::max(press_.y, y)};
  canvas.Rectangle(r.left, r.top, r.right, r.bottom);
  canvas.SetPenMode(PenMode::Copy);
  result.overlay = true;
  // The wide pen reaches past the outline on both sides.
  const int m = kBandWidth;
  result.overlayRects.push_back({r.left - m, r.top - m, r.right + m, r.bottom + m});
}

ViewEvent DrawingView::MouseDown(MouseButton button, int x, int y, bool shift) {
  ViewEvent result;
  if (!MouseReady()) return result;
  PickedLine = PickedCircle = PickedArc = PickedText = -1;
  if (shift) {
    Pick(x, y, result);
    return result;
  }
  press_ = lastCorner_ = {x, y};
  if (button == MouseButton::Middle) {
    panMode_ = true;
    return result;
  }
  boxMode_ = true;
  if (Canvas* canvas = surface_ ? surface_->Overlay() : nullptr) DrawBand(*canvas, x, y, result);
  return result;
}

void DrawingView::Pick(int x, int y, ViewEvent& result) {
  const dxf::Drawing& d = doc_.drawing;
  const TAcadPoint q = World(x, y);
  double best = -100;  // none yet
  int line = -1, circle = -1, arc = -1, text = -1;
  // A tie keeps the earlier candidate.
  const auto offer = [&best](double distance, int index, int& candidate) {
    if (best < 0 || best > distance) {
      best = distance;
      candidate = index;
    }
  };
  const auto visible = [&d](const dxf::SharedString& layer) {
    return dxf::IsLayerNameVisible(d.LayerAry, layer.view());
  };
  for (size_t i = 0; i < d.LineAry.size(); ++i) {
    const dxf::TAcadLineBlk& l = d.LineAry[i];
    if (!visible(l.layer)) continue;
    // The perpendicular through q, a million units each way: only a foot on the segment counts.
    const double a = dxf::Angle2D(l.st, l.ed) + dxf::kHalfPi;
    const TAcadPoint p1 = dxf::PolarPoint(q, a, 1000000), p2 = dxf::PolarPoint(q, a, -1000000);
    if (const auto foot = dxf::IntersectLines(p1, p2, l.st, l.ed, true))
      offer(dxf::Distance2D(q, *foot), int(i), line);
  }
  const auto onCircle = [&q](const TAcadPoint& c, double r) {
    return dxf::Distance2D(dxf::PolarPoint(c, dxf::Angle2D(c, q), r), q);
  };
  for (size_t i = 0; i < d.CircleAry.size(); ++i) {
    const dxf::TCircleBlk& c = d.CircleAry[i];
    if (visible(c.layer)) offer(onCircle(c.center, c.hankei), int(i), circle);
  }
  for (size_t i = 0; i < d.ArcAry.size(); ++i) {
    const dxf::TArcBlk& a = d.ArcAry[i];
    if (visible(a.layer)) offer(onCircle(a.center, a.hankei), int(i), arc);
  }
  for (size_t i = 0; i < d.TextAry.size(); ++i) {
    const dxf::TTextBlk& t = d.TextAry[i];
    if (!visible(t.layer)) continue;
    offer(dxf::Distance2D(q, PickPoint(t)), int(i), text);
  }

  // The nearest is of the latest kind whose candidate is set.
  if (line >= 0 && circle < 0 && arc < 0 && text < 0) {
    PickedLine = line;
  } else if (circle >= 0 && arc < 0 && text < 0) {
    const dxf::TCircleBlk& c = d.CircleAry[size_t(circle)];
    SetEdit4("[" + std::string(c.layer.view()) + "] 円半径 = " + FormatFixed(c.hankei, 3), result);
    PickedCircle = circle;
  } else if (arc >= 0 && text < 0) {
    const dxf::TArcBlk& a = d.ArcAry[size_t(arc)];
    SetEdit4("[" + std::string(a.layer.view()) + "] 円弧半径 = " + FormatFixed(a.hankei, 3),
             result);
    PickedArc = arc;
  } else if (text >= 0) {
    const dxf::TTextBlk& t = d.TextAry[size_t(text)];
    SetEdit4("[" + std::string(t.layer.view()) + "] 文字高さ = " + FormatFixed(t.code40, 3) +
                 " \"" + std::string(t.str.view()) + "\"",
             result);
    PickedText = text;
  }
  if (Canvas* canvas = surface_ ? surface_->Overlay() : nullptr) {
    DrawPick(*canvas);
    result.overlay = PickedLine >= 0 || PickedCircle >= 0 || PickedArc >= 0 || PickedText >= 0;
  }
}

void DrawingView::DrawPick(Canvas& canvas) const {
  const dxf::Drawing& d = doc_.drawing;
  const double s = Scale();
  const ScreenPoint origin{width_ / 2, height_ / 2};
  const TAcadPoint& vc = doc_.view.ViewCenter;
  canvas.SetPenMode(PenMode::Not);
  canvas.SetPenStyle(PenStyle::Solid);
  const LinePen pen{kHighlightWidth, kBlack, PenStyle::Solid};
  if (PickedLine >= 0) {
    const dxf::TAcadLineBlk& l = d.LineAry[size_t(PickedLine)];
    DrawLine(canvas, dxf::SubPointXY(l.st, vc), dxf::SubPointXY(l.ed, vc), s, origin, pen);
  } else if (PickedCircle >= 0) {
    const dxf::TCircleBlk& c = d.CircleAry[size_t(PickedCircle)];
    DrawArc(canvas, dxf::SubPointXY(c.center, vc), c.hankei, 0, 0, s, origin, pen);
  } else if (PickedArc >= 0) {
    const dxf::TArcBlk& a = d.ArcAry[size_t(PickedArc)];
    DrawArc(canvas, dxf::SubPointXY(a.center, vc), a.hankei, a.st * dxf::kDegToRad,
            a.ed * dxf::kDegToRad, s, origin, pen);
  } else if (PickedText >= 0) {
    const dxf::TTextBlk& t = d.TextAry[size_t(PickedText)];
    DrawArc(canvas, dxf::SubPointXY(PickPoint(t), vc), t.code40, 0, 0, s, origin, pen);
  }
}

// ---- mouse move ----------------------------------------------------------------------------

void DrawingView::DrawCross(Canvas& canvas, int x, int y, ViewEvent& result) const {
  canvas.SetPenMode(PenMode::Xor);
  canvas.SetPenColor(kCrossColor);
  canvas.SetPenStyle(PenStyle::Solid);
  canvas.SetPenWidth(1);
  canvas.MoveTo(0, y - 1);
  canvas.LineTo(width_, y - 1);
  canvas.MoveTo(x - 1, 0);
  canvas.LineTo(x - 1, height_);
  result.overlay = true;
  result.overlayRects.push_back({0, y - 1, width_, y});
  result.overlayRects.push_back({x - 1, 0, x, height_});
}

ViewEvent DrawingView::MouseMove(int x, int y, bool shift) {
  ViewEvent result;
  if (!MouseReady()) return result;
  Canvas* canvas = surface_ ? surface_->Overlay() : nullptr;
  if (canvas) {
    if (doc_.CrossShown) DrawCross(*canvas, crossX_, crossY_, result);
    DrawCross(*canvas, x, y, result);
    canvas->SetPenColor(kWhite);
    canvas->SetPenStyle(PenStyle::Solid);
  }
  crossX_ = x;
  crossY_ = y;
  doc_.CrossShown = canvas != nullptr;
  if (shift) return result;

  const ViewState& v = doc_.view;
  if (v.ViewWidth != 0 && width_ > 0 && height_ > 0) {
    // The visible window's size needs only a width: a line along y still shows a size.
    const double side = (v.ViewHeight / v.ViewWidth > double(height_) / double(width_))
                            ? v.ViewHeight / height_
                            : v.ViewWidth / width_;
    const double s = side / v.ZoomFactor;
    const TAcadPoint p = World(x, y);
    SetEdit4("W= " + FormatFixed(width_ * s, 2) + " , H= " + FormatFixed(height_ * s, 2) +
                 " - X= " + FormatFixed(p.x, 2) + " , Y= " + FormatFixed(p.y, 2),
             result);
  }

  if (boxMode_) {
    if (x != lastCorner_.x && y != lastCorner_.y) {
      if (canvas) {
        DrawBand(*canvas, lastCorner_.x, lastCorner_.y, result);
        DrawBand(*canvas, x, y, result);
      }
      lastCorner_ = {x, y};
    }
  } else if (panMode_ && x != lastCorner_.x && y != lastCorner_.y) {
    if (panBusy_) {
      // The step comes while the last one is drawn: it is drawn after it.
      panPending_ = true;
      panPendingAt_ = {x, y};
      return result;
    }
    panBusy_ = true;
    ScreenPoint at{x, y};
    do {
      panPending_ = false;
      const TAcadPoint a = World(press_.x, press_.y), b = World(at.x, at.y);
      ViewState provisional = doc_.view;
      provisional.ViewCenter = {v.ViewCenter.x + (a.x - b.x), v.ViewCenter.y + (a.y - b.y), 0};
      if (IsFinitePoint(provisional.ViewCenter)) {
        DrawRedraw(provisional, false, true);
        result.redraw = Redraw::Quick;
        // The new picture has no crosshair on it.
        doc_.CrossShown = false;
      }
      at = panPendingAt_;
    } while (panPending_ && panMode_);
    panBusy_ = false;
  }
  return result;
}

// ---- button up -----------------------------------------------------------------------------

void DrawingView::EndPick(ViewEvent& result) {
  if (Canvas* canvas = surface_ ? surface_->Overlay() : nullptr) {
    DrawPick(*canvas);
    canvas->SetPenMode(PenMode::Copy);
    result.overlay = PickedLine >= 0 || PickedCircle >= 0 || PickedArc >= 0 || PickedText >= 0;
  }
  if (PickedLine < 0) return;
  const dxf::TAcadLineBlk& l = doc_.drawing.LineAry[size_t(PickedLine)];
  const std::string head =
      "[" + std::string(l.layer.view()) + "] 長さ = " + FormatFixed(dxf::Distance2D(l.st, l.ed), 3);
  std::string text = head;
  // The perpendicular through the start meets the line measured before: for two parallel lines
  // that is the gap between them.
  const TAcadPoint across = dxf::PolarPoint(l.st, dxf::Angle2D(l.st, l.ed) + dxf::kHalfPi, 1000);
  if (const auto crossing =
          dxf::IntersectLines(l.st, across, lastMeasured_.st, lastMeasured_.ed, false)) {
    const double gap = dxf::Distance2D(l.st, *crossing);
    if (gap < 1e12) text += " 相互距離 = " + FormatFixed(gap, 3);
  }
  SetEdit4(std::move(text), result);
  lastMeasured_ = l;
}

ViewEvent DrawingView::MouseUp(MouseButton button, int x, int y, bool shift) {
  ViewEvent result;
  if (!MouseReady()) return result;
  // Shift pressed during a drag ends the drag as usual: its band or pan is not left running.
  if (shift && !boxMode_ && !panMode_) {
    EndPick(result);
    return result;
  }
  const bool band = boxMode_;
  boxMode_ = panMode_ = false;
  const TAcadPoint a = World(press_.x, press_.y), b = World(x, y);
  const int dx = x - press_.x, dy = y - press_.y;
  const ViewState& v = doc_.view;
  ViewState changed = v;
  bool drawAll = false, saves = false;
  if (button == MouseButton::Middle) {
    changed.ViewCenter = {v.ViewCenter.x + (a.x - b.x), v.ViewCenter.y + (a.y - b.y), 0};
  } else if (dx >= kGestureThreshold && dy >= kGestureThreshold) {
    saves = true;  // zoom to the box
    changed.ViewCenter = {(a.x + b.x) / 2, (a.y + b.y) / 2, 0};
    changed.ViewWidth = b.x - a.x;
    changed.ViewHeight = a.y - b.y;
  } else if (dx >= kGestureThreshold && -dy >= kGestureThreshold) {
    saves = true;  // the whole drawing
    const dxf::TBox& e = doc_.drawing.DrawingExtents;
    changed.ViewWidth = e.upperRight.x - e.lowerLeft.x;
    changed.ViewHeight = e.upperRight.y - e.lowerLeft.y;
    changed.ViewCenter = {(e.lowerLeft.x + e.upperRight.x) / 2,
                          (e.lowerLeft.y + e.upperRight.y) / 2, 0};
    drawAll = true;
  } else if (-dx >= kGestureThreshold && -dy >= kGestureThreshold) {
    saves = true;  // zoom out
    changed.ViewWidth *= 2;
    changed.ViewHeight *= 2;
  } else if (-dx >= kGestureThreshold && dy >= kGestureThreshold) {
    // The previous view; the current one is not saved, so doing it twice stays put.
    changed.ViewCenter = prevCenter_;
    changed.ViewWidth = prevWidth_;
    changed.ViewHeight = prevHeight_;
  } else {
    changed.ViewCenter = {(a.x + b.x) / 2, (a.y + b.y) / 2, 0};  // recentre
  }
  const ViewState before = v;
  if (!Apply(changed)) {
    // The view stays and so does its picture: only the band goes.
    Canvas* canvas = surface_ ? surface_->Overlay() : nullptr;
    if (band && canvas) DrawBand(*canvas, lastCorner_.x, lastCorner_.y, result);
    return result;
  }
  doc_.CrossShown = false;
  if (saves) {
    prevCenter_ = before.ViewCenter;
    prevWidth_ = before.ViewWidth;
    prevHeight_ = before.ViewHeight;
  }
  DrawRedraw(doc_.view, drawAll, false);
  result.redraw = drawAll ? Redraw::All : Redraw::View;
  const double s = Scale();
  SetEdit4("W= " + FormatFixed(width_ * s, 2) + " , H= " + FormatFixed(height_ * s, 2), result);
  return result;
}

// ---- resize --------------------------------------------------------------------------------

ViewEvent DrawingView::Resize(int width, int height) {
  ViewEvent result;
  SetSize(width, height);
  if (!conditions.tabActive || !MouseReady()) return result;
  doc_.CrossShown = false;
  DrawRedraw(doc_.view, false, false);
  result.redraw = Redraw::View;
  return result;
}

}  // namespace kestrel::render
