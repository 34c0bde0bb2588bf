#include "render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <vector>
#if defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#include <xmmintrin.h>
#endif

#include "dxf/Colors.h"
#include "dxf/Geometry.h"
#include "render/TextRender.h"

namespace kestrel::render {

using dxf::kDegToRad;
using dxf::kTwoPi;
using dxf::PolarPoint;
using dxf::TBox;

namespace {

// A hint to start loading the memory at `p`; it never faults.
inline void Prefetch(const void* p) {
#if defined(__GNUC__) || defined(__clang__)
  __builtin_prefetch(p);
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
  _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0);
#endif
}

bool Inside(const TAcadPoint& p, const ViewWindow& w) {
  return p.x >= w.minx && p.x <= w.maxx && p.y >= w.miny && p.y <= w.maxy;
}

// A record whose box overlaps the window may show in it. (Comparing the two outlines' sides and
// diagonals misses a box that overlaps the window only across its top or bottom, or holds the
// whole window, as a large arc seen close up does: such records would vanish while visible.)
bool BoxInWindow(const TBox& box, const ViewWindow& w) {
  return box.lowerLeft.x <= w.maxx && box.upperRight.x >= w.minx && box.lowerLeft.y <= w.maxy &&
         box.upperRight.y >= w.miny;
}

// Whether any part of the segment a–b lies in the window, by clipping its parameter range to
// each side in turn. Only halves of coordinates are subtracted and nothing is multiplied, so
// coordinates up to the largest double cannot overflow.
bool SegmentMeetsWindow(const TAcadPoint& a, const TAcadPoint& b, const ViewWindow& w) {
  const double dx = b.x / 2 - a.x / 2, dy = b.y / 2 - a.y / 2;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x / 2 - w.minx / 2, w.maxx / 2 - a.x / 2, a.y / 2 - w.miny / 2,
                       w.maxy / 2 - a.y / 2};
  double t0 = 0, t1 = 1;
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (!(t0 <= t1)) return false;
  }
  return true;
}

// An arc drawn once holds `ed` + 360; its box is taken from the angles within one turn, so
// the test gives the same answer on every redraw.
double OneTurn(double degrees) {
  double a = std::fmod(degrees, 360.0);
  return a < 0 ? a + 360.0 : a;
}

}  // namespace

void ApplyPen(Canvas& canvas, const LinePen& pen) {
  const Pen& current = canvas.GetPen();
  if (current.width != pen.width) canvas.SetPenWidth(pen.width);
  if (current.color != pen.color) canvas.SetPenColor(pen.color);
  if (current.style != pen.style) canvas.SetPenStyle(pen.style);
}

void DrawLine(Canvas& canvas, const TAcadPoint& a, const TAcadPoint& b, double s,
              ScreenPoint origin, const LinePen& pen) {
  ApplyPen(canvas, pen);
  ScreenPoint pa = WorldToScreen(a, s, origin), pb = WorldToScreen(b, s, origin);
  canvas.MoveTo(pa.x, pa.y);
  canvas.LineTo(pb.x, pb.y);
}

void DrawArc(Canvas& canvas, const TAcadPoint& c, double r, double a1, double a2, double s,
             ScreenPoint origin, const LinePen& pen) {
  ScreenPoint pc = WorldToScreen(c, s, origin);
  if (RoundPixel(r / s) <= 0) {
    canvas.SetPixel(pc.x, pc.y, pen.color);
    return;
  }
  ScreenPoint ul = WorldToScreen({c.x - r, c.y + r, 0}, s, origin);
  ScreenPoint lr = WorldToScreen({c.x + r, c.y - r, 0}, s, origin);
  // The point at angle 0 is (c.x + r, c.y): the right side of the box at the centre's height.
  auto radialPoint = [&](double a) {
    return a == 0 ? ScreenPoint{lr.x, pc.y} : WorldToScreen(PolarPoint(c, a, r), s, origin);
  };
  ScreenPoint p1 = radialPoint(a1), p2 = radialPoint(a2);
  if (a1 > a2) a2 += kTwoPi;
  // A short arc whose ends share a pixel is one pixel, but only on a circle at most a pixel
  // across: on a larger circle equal end pixels mean a nearly full arc, which the canvas draws
  // whole.
  bool tinyCircle = lr.x - ul.x <= 1 && lr.y - ul.y <= 1;
  if (tinyCircle && p1 == p2 && std::fabs(a2 - a1) > 0.00017453292519943296) {
    canvas.SetPixel(pc.x, pc.y, pen.color);
    return;
  }
  ApplyPen(canvas, pen);
  canvas.Arc(ul.x, ul.y, lr.x, lr.y, p1.x, p1.y, p2.x, p2.y);
}

bool LineInWindow(const dxf::TAcadLineBlk& line, const ViewWindow& w) {
  if (Inside(line.st, w) && Inside(line.ed, w)) return true;
  // A segment whose box misses the window can cross none of its sides: most lines of a zoomed
  // view are settled here, without the four intersections.
  if (std::max(line.st.x, line.ed.x) < w.minx || std::min(line.st.x, line.ed.x) > w.maxx ||
      std::max(line.st.y, line.ed.y) < w.miny || std::min(line.st.y, line.ed.y) > w.maxy) {
    return false;
  }
  // The crossing tests multiply differences of coordinates, which overflows beyond about 1e154.
  if (std::max({std::fabs(line.st.x), std::fabs(line.st.y), std::fabs(line.ed.x),
                std::fabs(line.ed.y), std::fabs(w.minx), std::fabs(w.miny), std::fabs(w.maxx),
                std::fabs(w.maxy)}) > 0x1p500) {
    return SegmentMeetsWindow(line.st, line.ed, w);
  }
  const TAcadPoint ll{w.minx, w.miny, 0}, ul{w.minx, w.maxy, 0}, lr{w.maxx, w.miny, 0},
      ur{w.maxx, w.maxy, 0};
  const TAcadPoint sides[4][2] = {{ll, ul}, {ll, lr}, {ur, ul}, {ur, lr}};
  for (const auto& side : sides) {
    if (dxf::IntersectLines(line.st, line.ed, side[0], side[1], true)) return true;
  }
  return false;
}

bool CircleInWindow(const dxf::TCircleBlk& circle, const ViewWindow& w) {
  if (Inside(circle.center, w)) return true;
  const TAcadPoint& c = circle.center;
  double r = circle.hankei;
  return BoxInWindow({{c.x - r, c.y - r, 0}, {c.x + r, c.y + r, 0}}, w);
}

bool ArcInWindow(const dxf::TArcBlk& arc, const ViewWindow& w) {
  if (Inside(arc.center, w)) return true;
  double a1 = OneTurn(arc.st) * kDegToRad, a2 = OneTurn(arc.ed) * kDegToRad;
  if (Inside(PolarPoint(arc.center, a1, arc.hankei), w) ||
      Inside(PolarPoint(arc.center, a2, arc.hankei), w)) {
    return true;
  }
  return BoxInWindow(dxf::ArcBox(arc.center, arc.hankei, a1, a2), w);
}

bool TextInWindow(const dxf::TTextBlk& text, const ViewWindow& w) {
  dxf::TextSizes sizes;
  return TextInWindow(text, w, sizes);
}

bool TextInWindow(const dxf::TTextBlk& text, const ViewWindow& w, dxf::TextSizes& sizes) {
  return Inside(text.pt10, w) || BoxInWindow(dxf::TextBox(text, sizes), w);
}

void NormalizeArcEnds(dxf::Drawing& drawing) {
  for (dxf::TArcBlk& a : drawing.ArcAry) {
    if (a.st > a.ed) a.ed += 360;
  }
}

void ClearCanvas(Canvas& canvas, int width, int height, Color color) {
  canvas.SetBrushStyle(BrushStyle::Solid);
  canvas.SetBrushColor(color);
  canvas.SetPenColor(color);
  canvas.SetPenMode(PenMode::Copy);
  canvas.Rectangle(0, 0, width, height);
  canvas.SetPenColor(kWhite);
}

void DrawViewFrame(Canvas& canvas, int width, int height) {
  canvas.SetPenColor(kCyan);
  canvas.MoveTo(0, 0);
  canvas.LineTo(width - 1, 0);
  canvas.LineTo(width - 1, height - 1);
  canvas.LineTo(0, height - 1);
  canvas.LineTo(0, 0);
}

namespace {

// Records are large (names and layer strings come first) and a pan drag reads every second
// one: at that stride the processor's own prefetching falls behind, and a redraw of a large
// drawing spends much of its time waiting for memory. So each loop asks for the record it
// will reach a few steps later.
constexpr size_t kReadAhead = 8;

template <typename Record>
void ReadAhead(const std::vector<Record>& records, size_t i) {
  if (i >= records.size()) return;
  const char* const record = reinterpret_cast<const char*>(&records[i]);
  for (size_t at = 0; at < sizeof(Record); at += 64)
    Prefetch(record + at);
  Prefetch(record + sizeof(Record) - 1);
}

struct Pass {
  Canvas& canvas;
  const dxf::Drawing& drawing;
  const DrawOptions& options;
  ViewWindow window;
  TAcadPoint center;
  double s = 1;
  // Most drawings show every layer, and then no record needs its layer looked up.
  bool everyLayerVisible = std::all_of(drawing.LayerAry.begin(), drawing.LayerAry.end(),
                                       [](const dxf::TLayer& l) { return l.visible; });
  int count = 0;

  // Steps common to every record: invisible and paper-space records, frozen or switched-off
  // layers, the visibility test. Counts the record when it is drawn.
  template <typename Record, typename InWindow>
  bool Wanted(const Record& r, InWindow inWindow) {
    if (r.code60 != 0 || r.code67 != 0) return false;
    if (!everyLayerVisible && !dxf::IsLayerVisible(drawing.LayerAry, r.layindex)) return false;
    if (!options.drawAll && !inWindow(r, window)) return false;
    ++count;
    return true;
  }

  Color ColorOf(uint32_t penColor) const {
    return penColor == options.background ? InvertColor(options.background) : penColor;
  }

  LinePen PenOf(uint32_t penColor, uint8_t penStyle) const {
    return {options.penWidth, ColorOf(penColor), static_cast<PenStyle>(penStyle)};
  }
};

}  // namespace

int DrawDrawing(Canvas& canvas, const dxf::Drawing& drawing, const ViewState& view,
                const DrawOptions& options) {
  if ((view.ViewWidth == 0 && view.ViewHeight == 0) || view.ZoomFactor == 0) return 0;
  if (options.width <= 0 || options.height <= 0) return 0;
  double s = ViewScale(view, options.width, options.height);
  if (!std::isfinite(s) || s <= 0) return 0;
  // No pixel can be placed relative to a centre that is not a number.
  if (!std::isfinite(view.ViewCenter.x) || !std::isfinite(view.ViewCenter.y)) return 0;

  Pass pass{canvas,          drawing,
            options,         VisibleWindow(view, s, options.width, options.height),
            view.ViewCenter, s};
  const TAcadPoint& vc = view.ViewCenter;

  const size_t step = options.quick ? 2 : 1;  // pan drag: every second line, circle and arc
  for (size_t i = 0; i < drawing.LineAry.size(); i += step) {
    ReadAhead(drawing.LineAry, i + kReadAhead * step);
    const dxf::TAcadLineBlk& l = drawing.LineAry[i];
    if (!pass.Wanted(l, LineInWindow)) continue;
    DrawLine(canvas, dxf::SubPointXY(l.st, vc), dxf::SubPointXY(l.ed, vc), s, options.origin,
             pass.PenOf(l.PenColor, l.PenStyle));
  }
  for (size_t i = 0; i < drawing.CircleAry.size(); i += step) {
    ReadAhead(drawing.CircleAry, i + kReadAhead * step);
    const dxf::TCircleBlk& c = drawing.CircleAry[i];
    if (!pass.Wanted(c, CircleInWindow)) continue;
    DrawArc(canvas, dxf::SubPointXY(c.center, vc), c.hankei, 0, 0, s, options.origin,
            pass.PenOf(c.PenColor, c.PenStyle));
  }
  for (size_t i = 0; i < drawing.ArcAry.size(); i += step) {
    ReadAhead(drawing.ArcAry, i + kReadAhead * step);
    const dxf::TArcBlk& a = drawing.ArcAry[i];
    if (!pass.Wanted(a, ArcInWindow)) continue;
    TAcadPoint c = dxf::SubPointXY(a.center, vc);
    LinePen pen = pass.PenOf(a.PenColor, a.PenStyle);
    if (std::fabs(a.ed - a.st) <= 1) {
      DrawLine(canvas, PolarPoint(c, a.st * kDegToRad, a.hankei),
               PolarPoint(c, a.ed * kDegToRad, a.hankei), s, options.origin, pen);
    } else {
      DrawArc(canvas, c, a.hankei, a.st * kDegToRad, a.ed * kDegToRad, s, options.origin, pen);
    }
  }
  if (!options.quick) {
    // The copies of a block's text share its string: what is measured of it, once for all.
    dxf::TextSizes sizes;
    TextPass texts(options.width, options.height);
    const auto inWindow = [&](const dxf::TTextBlk& t, const ViewWindow& w) {
      return TextInWindow(t, w, sizes);
    };
    for (const dxf::TTextBlk& t : drawing.TextAry) {
      if ((t.code70 & 1) != 0) continue;  // an invisible attribute
      if (!pass.Wanted(t, inWindow)) continue;
      DrawRecordText(canvas, options.origin, s, t, dxf::SubPointXY(t.pt10, vc),
                     dxf::SubPointXY(t.pt11, vc), pass.ColorOf(t.PenColor), texts);
    }
  }
  return pass.count;
}

}  // namespace kestrel::render
