#include "render/QtCanvas.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>
#include <span>
#include <tuple>
#include <vector>

namespace kestrel::render {

namespace {

QColor ToQColor(Color c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// 0x00BBGGRR to the image's 0xRRGGBB.
inline QRgb ToRgb(Color c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

Qt::PenStyle ToQtStyle(PenStyle style) {
  switch (style) {
    case PenStyle::Dot:
      return Qt::DotLine;
    case PenStyle::DashDot:
      return Qt::DashDotLine;
    case PenStyle::DashDotDot:
      return Qt::DashDotDotLine;
    default:
      return Qt::SolidLine;
  }
}

QPainter::CompositionMode ToComposition(PenMode mode) {
  switch (mode) {
    case PenMode::Xor:
      return QPainter::RasterOp_SourceXorDestination;
    case PenMode::NotXor:
      return QPainter::RasterOp_NotSourceXorDestination;
    case PenMode::Not:
      return QPainter::RasterOp_NotDestination;
    default:
      return QPainter::CompositionMode_SourceOver;
  }
}

// A pen style's dashes in pixels, alternately drawn and left out, as GDI counts them; none for
// a solid line.
std::span<const uint8_t> DashesOf(PenStyle style) {
  static constexpr uint8_t kDot[] = {3, 3}, kDashDot[] = {9, 6, 3, 6},
                           kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case PenStyle::Dot:
      return kDot;
    case PenStyle::DashDot:
      return kDashDot;
    case PenStyle::DashDotDot:
      return kDashDotDot;
    default:
      return {};
  }
}

// A pixel in the pen's colour `rgb` (0xRRGGBB) through the raster operation `mode`.
inline void PaintPixel(QRgb* p, QRgb rgb, PenMode mode) {
  switch (mode) {
    case PenMode::Copy:
      *p = 0xFF000000 | rgb;
      break;
    case PenMode::Xor:
      *p = 0xFF000000 | ((*p ^ rgb) & 0xFFFFFF);
      break;
    case PenMode::NotXor:
      *p = 0xFF000000 | (~(*p ^ rgb) & 0xFFFFFF);
      break;
    case PenMode::Not:
      *p = 0xFF000000 | (~*p & 0xFFFFFF);
      break;
  }
}

// Coordinates this far out are clipped before Qt sees them; nearer ones are drawn as given so
// that every pixel stays where the integer end points put it.
constexpr double kFar = 1 << 20;

// Texts up to this many UTF-16 units are measured as laid out, kerning included.
constexpr qsizetype kShapedLength = 2000;

// Full circles up to this many chords take their turning step from a table.
constexpr int kTurnSteps = 4096;

// Liang–Barsky: keeps the part of the segment inside the box; false when none is.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double lo, double hix,
                 double hiy) {
  double t0 = 0, t1 = 1, dx = x2 - x1, dy = y2 - y1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {x1 - lo, hix - x1, y1 - lo, hiy - y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  double ox = x1, oy = y1;
  x1 = ox + t0 * dx, y1 = oy + t0 * dy;
  x2 = ox + t1 * dx, y2 = oy + t1 * dy;
  return true;
}

constexpr double kWholeTurn = 2 * std::numbers::pi;
constexpr double kSixteenthsPerRadian = 16 * 180 / std::numbers::pi;  // QPainter's arc angles

// The radial from (cx, cy) through (x, y) as a vector counter-clockwise on the screen (y up);
// a radial of no length points along angle 0.
QtCanvas::Direction Radial(double cx, double cy, int x, int y) {
  const double dx = x - cx, dy = cy - y;
  return dx == 0 && dy == 0 ? QtCanvas::Direction{1, 0} : QtCanvas::Direction{dx, dy};
}

QtCanvas::Direction Unit(QtCanvas::Direction v) {
  const double length = std::sqrt(v.c * v.c + v.s * v.s);
  return {v.c / length, v.s / length};
}

// Counter-clockwise angle from radial `a` to radial `b`, in (0, 2π]: the same direction is a
// whole turn. Taken from the cross and dot products, which are exact for the half-pixel
// offsets of radials on and near the canvas, so directions that agree are never a hair apart.
double Sweep(QtCanvas::Direction a, QtCanvas::Direction b) {
  const double t = std::atan2(a.c * b.s - a.s * b.c, a.c * b.c + a.s * b.s);
  return t > 0 ? t : t + kWholeTurn;
}

// The turn from one chord end to the next of `n` chords over `sweep`: one sine and cosine for
// the whole arc (none for a single chord), taken from a table for the full circles that most
// drawings are made of.
QtCanvas::Direction ChordTurn(int n, double sweep, bool full) {
  if (full && n <= kTurnSteps) {
    static const auto table = [] {
      std::vector<QtCanvas::Direction> t(kTurnSteps + 1);
      for (int k = 1; k <= kTurnSteps; ++k)
        t[size_t(k)] = {std::cos(kWholeTurn / k), std::sin(kWholeTurn / k)};
      return t;
    }();
    return table[size_t(n)];
  }
  if (n == 1) return {};
  return {std::cos(sweep / n), std::sin(sweep / n)};
}

}  // namespace

QString DefaultFontFace() {
  static const QString face = [] {
    const QStringList families = QFontDatabase::families();
    for (const char* f : {"IPAGothic", "IPAexGothic", "Noto Sans CJK JP"}) {
      if (families.contains(QString::fromLatin1(f))) return QString::fromLatin1(f);
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
  }();
  return face;
}

namespace {

// Lines and pixels are written straight into the image, which needs 32-bit pixels.
QImage& As32Bit(QImage& image) {
  if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32 &&
      image.format() != QImage::Format_ARGB32_Premultiplied) {
    image = image.convertToFormat(QImage::Format_RGB32);
  }
  return image;
}

}  // namespace

QtCanvas::QtCanvas(QImage& image)
    : painter_(&As32Bit(image)),
      bits_(image.bits()),
      stride_(image.bytesPerLine()),
      width_(image.width()),
      height_(image.height()),
      reach_(std::hypot(width_, height_) / 2 + 16) {
  font_.height = 16;
  font_.faceName = DefaultFontFace().toStdString();
  painter_.setRenderHint(QPainter::Antialiasing, false);
  painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

void QtCanvas::SetPenWidth(int width) {
  pen_.width = width;
  penDirty_ = true;
}

void QtCanvas::SetPenColor(Color color) {
  pen_.color = color;
  penRgb_ = ToRgb(color);
  penDirty_ = true;
}

void QtCanvas::SetPenStyle(PenStyle style) {
  pen_.style = style;
  penDirty_ = true;
}

void QtCanvas::SetPenMode(PenMode mode) {
  pen_.mode = mode;
}

void QtCanvas::UseMode(PenMode mode) {
  if (paintedMode_ == mode) return;
  painter_.setCompositionMode(ToComposition(mode));
  paintedMode_ = mode;
}

void QtCanvas::UsePen() {
  UseMode(pen_.mode);
  if (!penDirty_) return;
  // A one-pixel cosmetic pen with flat caps leaves out the last pixel of a line, as GDI does.
  QPen pen(ToQColor(pen_.color), std::max(1, pen_.width), ToQtStyle(pen_.style), Qt::FlatCap,
           Qt::MiterJoin);
  pen.setCosmetic(true);
  painter_.setPen(pen);
  penDirty_ = false;
}

// One-pixel lines are drawn here rather than by QPainter: GDI leaves out the last pixel in the
// direction of drawing (so closed outlines and XOR rubber bands meet exactly), and its dotted
// styles count pixels along the line.
inline void QtCanvas::ThinLine(int x1, int y1, int x2, int y2) {
  const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
  // A step to a neighbouring pixel, as most chords of a small circle are, is its first pixel,
  // which every dash pattern shows.
  if (std::llabs(dx) <= 1 && std::llabs(dy) <= 1) {
    if ((dx != 0 || dy != 0) && x1 >= 0 && x1 < width_ && y1 >= 0 && y1 < height_)
      PaintPixel(reinterpret_cast<QRgb*>(bits_ + y1 * stride_) + x1, penRgb_, pen_.mode);
    return;
  }
  WalkLine(x1, y1, dx, dy);
}

void QtCanvas::WalkLine(int64_t x1, int64_t y1, int64_t dx, int64_t dy) {
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
  const int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
  const int sMajor = (xMajor ? dx : dy) < 0 ? -1 : 1, sMinor = (xMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t majorStart = xMajor ? x1 : y1, minorStart = xMajor ? y1 : x1;
  const int64_t majorLimit = xMajor ? width_ : height_;
  const int64_t minorLimit = xMajor ? height_ : width_;

  // Steps 0 .. major − 1 (the last pixel is left out); only those on the canvas are walked.
  int64_t first = 0, last = major - 1;
  if (sMajor > 0) {
    first = std::max(first, -majorStart);
    last = std::min(last, majorLimit - 1 - majorStart);
  } else {
    first = std::max(first, majorStart - (majorLimit - 1));
    last = std::min(last, majorStart);
  }
  if (first > last) return;

  // The minor offset at step i is i·minor/major rounded, halves away from the start: q with
  // remainder r of (2·i·minor + major) / 2·major, which step 0 has without a division.
  const int64_t twoMajor = 2 * major, twoMinor = 2 * minor;
  int64_t q = 0, r = major;
  if (first > 0) {
    const int64_t num = 2 * first * minor + major;
    q = num / twoMajor, r = num % twoMajor;
  }
  // The walk moves a byte offset into the image; it is used only while the minor coordinate
  // is on the canvas.
  const qsizetype stride = stride_;
  const int64_t majorStep = xMajor ? 4 * sMajor : stride * sMajor;
  const int64_t minorStep = xMajor ? stride * sMinor : 4 * sMinor;
  int64_t mn = minorStart + sMinor * q;
  int64_t offset =
      (majorStart + sMajor * first) * (xMajor ? 4 : stride) + mn * (xMajor ? stride : 4);
  uchar* const bits = bits_;
  auto walk = [&](auto plot) {
    for (int64_t i = first; i <= last; ++i) {
      if (uint64_t(mn) < uint64_t(minorLimit)) plot(i, reinterpret_cast<QRgb*>(bits + offset));
      offset += majorStep;
      r += twoMinor;
      if (r >= twoMajor) {  // 2·minor ≤ 2·major: one carry at most
        r -= twoMajor;
        mn += sMinor;
        offset += minorStep;
      }
    }
  };

  const QRgb rgb = penRgb_;
  const std::span<const uint8_t> dashes = DashesOf(pen_.style);
  if (dashes.empty() && pen_.mode == PenMode::Copy) {
    // The common pen: solid, copied. A loop without the per-pixel style and mode tests, which is
    // most of a redraw of a large drawing.
    walk([value = 0xFF000000 | rgb](int64_t, QRgb* p) { *p = value; });
    return;
  }
  const int period = std::accumulate(dashes.begin(), dashes.end(), 0);
  walk([&](int64_t i, QRgb* p) {
    if (period > 0) {
      int k = int(i % period);
      for (size_t d = 0; d < dashes.size(); ++d) {
        if (k < dashes[d]) {
          if (d % 2 != 0) return;
          break;
        }
        k -= dashes[d];
      }
    }
    PaintPixel(p, rgb, pen_.mode);
  });
}

void QtCanvas::LineTo(int x, int y) {
  ScreenPoint from = pos_;
  pos_ = {x, y};
  if (from == pos_) return;
  if (pen_.width <= 1) {
    ThinLine(from.x, from.y, x, y);
    return;
  }
  UsePen();
  double x1 = from.x, y1 = from.y, x2 = x, y2 = y;
  if (std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)}) > kFar) {
    if (!ClipSegment(x1, y1, x2, y2, -16, width_ + 16.0, height_ + 16.0)) return;
  }
  painter_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void QtCanvas::Rectangle(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return;
  UseMode(pen_.mode);
  // The brush fills inside the outline and the pen draws the outline, so in the XOR modes no
  // pixel is touched twice. Right and bottom are exclusive.
  if (brush_.style == BrushStyle::Solid && right - left > 2 && bottom - top > 2) {
    painter_.fillRect(QRect(left + 1, top + 1, right - left - 2, bottom - top - 2),
                      ToQColor(brush_.color));
  }
  int w = right - left, h = bottom - top;
  if (pen_.width > 1) {
    // A wide outline (the rubber band): stroked once as one closed path, so that in the XOR
    // modes its corners are not touched twice.
    UsePen();
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(QRect(left, top, w - 1, h - 1));
    return;
  }
  QColor pc = ToQColor(pen_.color);
  painter_.fillRect(QRect(left, top, w, 1), pc);
  if (h > 1) painter_.fillRect(QRect(left, bottom - 1, w, 1), pc);
  if (h > 2) {
    painter_.fillRect(QRect(left, top + 1, 1, h - 2), pc);
    if (w > 1) painter_.fillRect(QRect(right - 1, top + 1, 1, h - 2), pc);
  }
}

void QtCanvas::SetPixel(int x, int y, Color color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  // SetPixel ignores the pen mode.
  reinterpret_cast<QRgb*>(bits_ + y * stride_)[x] = 0xFF000000 | ToRgb(color);
}

void QtCanvas::Arc(int left, int top, int right, int bottom, int x1, int y1, int x2, int y2) {
  if (right <= left || bottom <= top) return;
  const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
  const double rx = (right - left) / 2.0, ry = (bottom - top) / 2.0;
  const int w = width_, h = height_;
  if (cx + rx < -1 || cx - rx > w + 1 || cy + ry < -1 || cy - ry > h + 1) return;
  // The radials' directions are used as they are: going through angles (atan2, then sine and
  // cosine again) would cost more than drawing a small arc.
  const Direction from = Radial(cx, cy, x1, y1), to = Radial(cx, cy, x2, y2);
  const bool same = x1 == x2 && y1 == y2;  // a circle: no need to measure the sweep
  double sweep = same ? kWholeTurn : Sweep(from, to);
  const bool full = same || sweep >= kWholeTurn;
  if (full) sweep = kWholeTurn;
  const double r = std::max(rx, ry);

  // A circle much larger than the canvas (a close zoom) is drawn only along the angles at
  // which it can pass over the canvas, so its cost stays that of a canvas-sized one.
  const double reach = reach_;
  if (r > 2 * reach) {
    const double a0 = std::atan2(from.s, from.c);
    const double ccx = w / 2.0, ccy = h / 2.0;
    const double dist = std::hypot(ccx - cx, ccy - cy);
    if (std::fabs(dist - r) > reach + std::fabs(rx - ry)) return;
    const double phi = std::atan2(cy - ccy, ccx - cx);
    const double delta = std::asin(std::min(1.0, (reach + std::fabs(rx - ry)) / dist)) + 1e-3;
    double lo = std::fmod(phi - delta - a0, kWholeTurn);
    if (lo < 0) lo += kWholeTurn;
    for (double begin : {lo, lo - kWholeTurn}) {
      double a = std::max(0.0, begin), b = std::min(sweep, begin + 2 * delta);
      if (a < b) {
        ArcChords(cx, cy, rx, ry, {std::cos(a0 + a), std::sin(a0 + a)}, b - a,
                  {std::cos(a0 + b), std::sin(a0 + b)}, false);
      }
    }
    return;
  }
  if (pen_.width > 1) {
    UsePen();
    const int start16 = int(std::lround(std::atan2(from.s, from.c) * kSixteenthsPerRadian));
    const int span16 = int(std::lround(sweep * kSixteenthsPerRadian));
    painter_.drawArc(QRectF(left, top, right - left, bottom - top), start16,
                     span16 > 0 ? span16 : 360 * 16);
    return;
  }
  ArcChords(cx, cy, rx, ry, Unit(from), sweep, Unit(to), full);
}

// A polyline whose chords stay within half a pixel of the curve, about what rounding to whole
// pixels costs anyway: it is a fraction of QPainter's path stroking, which matters when a
// drawing holds many thousands of circles. A full circle gets a multiple of four chords from
// angle 0, so it touches the middle of each side of its square.
void QtCanvas::ArcChords(double cx, double cy, double rx, double ry, Direction from, double sweep,
                         Direction to, bool full) {
  const int w = width_, h = height_;
  const double step = 2 / std::sqrt(std::max(0.5, std::max(rx, ry)));
  int n = int(std::min(1e5, std::ceil(sweep / step)));
  if (full) n = std::max(4, (n + 3) / 4 * 4);
  n = std::max(n, 1);
  const Direction turn = ChordTurn(n, sweep, full);
  auto chord = [this](ScreenPoint a, ScreenPoint b) {
    if (a == b) return;
    if (pen_.width > 1) {
      UsePen();
      painter_.drawLine(QPoint(a.x, a.y), QPoint(b.x, b.y));
    } else {
      ThinLine(a.x, a.y, b.x, b.y);
    }
  };
  auto rounded = [](double x, double y) {
    return ScreenPoint{int(RoundHalfEven(x)), int(RoundHalfEven(y))};
  };
  // An arc that stays a pixel inside the clipping margin needs no clipping, and each chord end
  // is rounded once.
  const bool clip =
      !(cx - rx >= -15 && cx + rx <= w + 15.0 && cy - ry >= -15 && cy + ry <= h + 15.0);
  double c = from.c, si = from.s;
  double px = cx + rx * c, py = cy - ry * si;
  ScreenPoint a = clip ? ScreenPoint{} : rounded(px, py);
  for (int i = 1; i <= n; ++i) {
    double nc = c * turn.c - si * turn.s;
    si = si * turn.c + c * turn.s;
    c = nc;
    if (i == n) {
      const Direction last = full ? from : to;
      c = last.c, si = last.s;
    }
    double qx = cx + rx * c, qy = cy - ry * si;
    if (!clip) {
      const ScreenPoint b = rounded(qx, qy);
      chord(a, b);
      a = b;
      continue;
    }
    double sx = px, sy = py, ex = qx, ey = qy;
    px = qx, py = qy;
    bool inside = std::min({sx, sy, ex, ey}) >= -16 && std::max(sx, ex) <= w + 16.0 &&
                  std::max(sy, ey) <= h + 16.0;
    if (!inside && !ClipSegment(sx, sy, ex, ey, -16, w + 16.0, h + 16.0)) continue;
    chord(rounded(sx, sy), rounded(ex, ey));
  }
}

void QtCanvas::SetFont(const FontDesc& font) {
  font_ = font;
  current_ = nullptr;
}

int QtCanvas::RealizedCell(int cell) {
  // Up to here glyphs are hinted and cached as images at their own size, so each pixel of a
  // small text depends on its exact size. Larger glyphs are filled from their outlines, which
  // scale without a visible difference.
  constexpr int kExactCell = 64;
  // Qt draws nothing in fonts much larger than this; larger texts are this font scaled.
  constexpr int kLargestCell = 16384;
  if (cell <= kExactCell) return cell;
  static const std::vector<int> steps = [] {
    std::vector<int> v{kExactCell};
    for (int next = 67; next <= kLargestCell; next = int(std::lround(next * 1.04)))
      v.push_back(next);
    return v;
  }();
  return *(std::upper_bound(steps.begin(), steps.end(), cell) - 1);
}

QtCanvas::RealFont& QtCanvas::FindOrMake(int cell, const std::string& face) {
  auto ff = std::find_if(faces_.begin(), faces_.end(),
                         [&](const FaceFonts& f) { return f.face == face; });
  if (ff == faces_.end()) {
    faces_.push_back({face, {}});
    ff = faces_.end() - 1;
  }
  if (auto it = ff->byCell.find(cell); it != ff->byCell.end()) {
    fonts_.splice(fonts_.begin(), fonts_, it->second);
    return *it->second;
  }
  // Making a font costs about half a millisecond (Qt looks up and loads a font engine for
  // each pixel size), as long as drawing a hundred small texts.
  RealFont rf;
  rf.cell = cell;
  rf.face = face;
  rf.font = QFont(face.empty() ? DefaultFontFace() : QString::fromStdString(face));
  // A LOGFONT height is the whole cell (ascent and descent); Qt's pixel size is the em.
  rf.font.setPixelSize(cell);
  QFontMetricsF m(rf.font);
  if (m.height() > 0) {
    int em = std::max(1, int(std::lround(double(cell) * cell / m.height())));
    rf.font.setPixelSize(em);
  }
  // The average width is reached by scaling the drawing horizontally, which works with every
  // face (a stretched QFont is not honoured by every font engine). GDI's average width is that
  // of a lower-case x: half the em in Japanese faces.
  const QFontMetricsF metrics(rf.font);
  rf.naturalWidth = metrics.horizontalAdvance(QLatin1Char('x'));
  rf.ascent = metrics.ascent();
  fonts_.push_front(std::move(rf));
  ff->byCell.emplace(cell, fonts_.begin());
  ++fontsMade_;
  if (fonts_.size() > kFontCacheSize) {
    const RealFont& old = fonts_.back();
    auto of = std::find_if(faces_.begin(), faces_.end(),
                           [&](const FaceFonts& f) { return f.face == old.face; });
    of->byCell.erase(old.cell);
    if (of->byCell.empty()) faces_.erase(of);
    fonts_.pop_back();
  }
  return fonts_.front();
}

QtCanvas::RealFont& QtCanvas::Realize() {
  if (current_) return *current_;
  const int cell = std::abs(font_.height);
  if (cell <= 0 || cell > 32767 || font_.width > 32767) {
    undrawable_.drawable = false;
    current_ = &undrawable_;
    return undrawable_;
  }
  RealFont& rf = FindOrMake(RealizedCell(cell), font_.faceName);
  const double scale = double(cell) / rf.cell;
  rf.yScale = scale;
  rf.xScale = font_.width > 0 && rf.naturalWidth > 0 ? font_.width / rf.naturalWidth : scale;
  current_ = &rf;
  return rf;
}

void QtCanvas::TextOut(int x, int y, std::string_view text) {
  const RealFont& rf = Realize();
  if (!rf.drawable || text.empty()) return;
  // Characters beyond the far side of the canvas cannot show; leaving them out keeps a
  // text of a million characters from costing seconds on every redraw. Only the characters
  // that may show are converted.
  const double far = std::hypot(x - width_ / 2.0, y - height_ / 2.0) + reach_;
  const double narrowest = std::max(0.5, 0.25 * rf.font.pixelSize() * rf.xScale);
  const double limit = far / narrowest + 1;
  if (limit < double(text.size())) {
    size_t characters = 0, end = 0;
    for (; end < text.size(); ++end) {
      if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80 && double(characters++) >= limit)
        break;
    }
    text = text.substr(0, end);
  }
  QString shown = QString::fromUtf8(text.data(), qsizetype(text.size()));
  if (limit < double(shown.size())) shown.truncate(qsizetype(limit));
  PenMode mode = paintedMode_;
  UseMode(PenMode::Copy);
  painter_.save();
  painter_.translate(x, y);
  if (font_.escapement != 0) painter_.rotate(-font_.escapement / 10.0);
  if (rf.xScale != 1 || rf.yScale != 1) painter_.scale(rf.xScale, rf.yScale);
  painter_.setFont(rf.font);
  painter_.setPen(ToQColor(fontColor_));
  painter_.drawText(QPointF(0, rf.ascent), shown);
  painter_.restore();
  UseMode(mode);
}

int QtCanvas::TextWidth(std::string_view text) {
  RealFont& rf = Realize();
  QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
  if (!rf.drawable) return int(std::min<double>(1e9, double(s.size()) * std::max(1, font_.width)));
  QFontMetricsF metrics(rf.font);
  double width = 0;
  if (s.size() <= kShapedLength) {
    width = metrics.horizontalAdvance(s);
  } else {
    // Shaping a very long text costs far more than adding up its characters' advances, and
    // kerning cannot matter at a length no canvas shows whole.
    for (QChar c : s) {
      auto [it, added] = rf.advances.try_emplace(c.unicode(), 0.0);
      if (added) it->second = metrics.horizontalAdvance(c);
      width += it->second;
    }
  }
  return int(std::nearbyint(std::min(1e9, width * rf.xScale)));
}

}  // namespace kestrel::render
