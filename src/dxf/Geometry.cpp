#include "dxf/Geometry.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <vector>

#include "dxf/MText.h"

namespace kestrel::dxf {

TAcadPoint RotatePointCW(const TAcadPoint& p, double a) {
  const double c = std::cos(a);
  const double s = std::sin(a);
  return {p.x * c + p.y * s, -p.x * s + p.y * c, p.z};
}

TAcadPoint PolarPoint(const TAcadPoint& c, double a, double d) {
  // Exact comparisons on purpose: cos(π/2) is not 0 in doubles.
  if (a == 0) return {c.x + d, c.y, c.z};
  if (a == kHalfPi) return {c.x, c.y + d, c.z};
  if (a == kPi) return {c.x - d, c.y, c.z};
  if (a == kThreeHalfPi) return {c.x, c.y - d, c.z};
  return {c.x + d * std::cos(a), c.y + d * std::sin(a), c.z};
}

double Distance2D(const TAcadPoint& p, const TAcadPoint& q) {
  const double dy = p.y - q.y;
  const double dx = p.x - q.x;
  return std::sqrt(dy * dy + dx * dx);
}

double Angle2D(const TAcadPoint& p, const TAcadPoint& q) {
  const double dx = q.x - p.x;
  const double dy = q.y - p.y;
  if (std::fabs(dx) < 0.00001) return q.y > p.y ? kHalfPi : kThreeHalfPi;
  if (std::fabs(dy) < 0.00001) return q.x > p.x ? 0.0 : kPi;
  const double f = std::atan(std::fabs(dy / dx));
  if (dx < 0 && dy >= 0) return kPi - f;
  if (dx >= 0 && dy < 0) return kTwoPi - f;
  if (dx < 0 && dy < 0) return kPi + f;
  return f;
}

std::optional<TAcadPoint> IntersectLines(const TAcadPoint& p1, const TAcadPoint& p2,
                                         const TAcadPoint& p3, const TAcadPoint& p4, bool bounded) {
  const double d = (p4.x - p3.x) * (p2.y - p1.y) - (p2.x - p1.x) * (p4.y - p3.y);
  if (!(std::fabs(d) > 1e-12)) return std::nullopt;  // parallel (or NaN)
  const double u = ((p2.x - p1.x) * (p3.y - p1.y) - (p2.y - p1.y) * (p3.x - p1.x)) / d;
  const double t = ((p4.x - p3.x) * (p3.y - p1.y) - (p4.y - p3.y) * (p3.x - p1.x)) / d;
  if (bounded) {
    const auto inside = [](double v) { return v >= 1e-12 && v <= 1; };
    if (!inside(u) || !inside(t)) return std::nullopt;
  }
  return TAcadPoint{p1.x + t * (p2.x - p1.x), p1.y + t * (p2.y - p1.y), p1.z};
}

TBulgeArc BulgeToArc(const TAcadPoint& p1, const TAcadPoint& p2, double bulge) {
  const double theta = std::atan(bulge);
  const double chord = Distance2D(p1, p2);
  const double h = (chord / 2) / std::sin(2 * theta);
  TBulgeArc arc;
  arc.radius = std::fabs(h);
  // h keeps its sign: a negative bulge puts the centre on the other side of the chord.
  arc.center = PolarPoint(p1, kHalfPi - 2 * theta + Angle2D(p1, p2), h);
  arc.start = Angle2D(arc.center, bulge < 0 ? p2 : p1);
  arc.end = Angle2D(arc.center, bulge < 0 ? p1 : p2);
  return arc;
}

TAcadPoint Normalize(const TAcadPoint& v) {
  const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(len > 0)) return v;
  return {v.x / len, v.y / len, v.z / len};
}

TAcadPoint Cross(const TAcadPoint& a, const TAcadPoint& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

TAcadPoint OcsToWcs(const TAcadPoint& p, const TAcadPoint& n) {
  constexpr double kArbitraryAxisLimit = 1.0 / 64;
  const TAcadPoint w =
      (std::fabs(n.x) < kArbitraryAxisLimit && std::fabs(n.y) < kArbitraryAxisLimit)
          ? TAcadPoint{0, 1, 0}
          : TAcadPoint{0, 0, 1};
  const TAcadPoint ax = Normalize(Cross(w, n));
  const TAcadPoint ay = Normalize(Cross(n, ax));
  return ax * p.x + ay * p.y + n * p.z;
}

TAcadPoint ApplyAxes(const TAcadPoint& p, const TAcadPoint& o, const TAcadPoint& axisX,
                     const TAcadPoint& axisY, const TAcadPoint& axisZ) {
  return o + axisX * p.x + axisY * p.y + axisZ * p.z;
}

bool NearlyEqual(const TAcadPoint& p, const TAcadPoint& q, double t) {
  return std::fabs(p.x - q.x) < t && std::fabs(p.y - q.y) < t && std::fabs(p.z - q.z) < t;
}

namespace {

// A box worked out from finite numbers whose sums overflowed is held at the largest doubles,
// so that far geometry still has a box; a NaN stays, and the box counts for nothing.
TBox HoldFinite(TBox b) {
  for (double* v : {&b.lowerLeft.x, &b.lowerLeft.y, &b.upperRight.x, &b.upperRight.y}) {
    if (std::isinf(*v)) *v = std::copysign(DBL_MAX, *v);
  }
  return b;
}

bool IsFiniteXY(const TAcadPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

TBox ArcBox(const TAcadPoint& c, double r, double a1, double a2) {
  const TAcadPoint p = PolarPoint(c, a1, r);
  const TAcadPoint q = PolarPoint(c, a2, r);
  double left = std::min(p.x, q.x);
  double bottom = std::min(p.y, q.y);
  double right = std::max(p.x, q.x);
  double top = std::max(p.y, q.y);
  if (a1 < a2) {
    if (a1 == 0 || a2 == kTwoPi) right = c.x + r;
    if (a1 <= kHalfPi && kHalfPi <= a2) top = c.y + r;
    if (a1 <= kPi && kPi <= a2) left = c.x - r;
    if (a1 <= kThreeHalfPi && kThreeHalfPi <= a2) bottom = c.y - r;
  } else {  // passes angle 0
    right = c.x + r;
    if (a1 <= kHalfPi || a2 >= kHalfPi) top = c.y + r;
    if (a1 <= kPi || a2 >= kPi) left = c.x - r;
    if (a1 <= kThreeHalfPi || a2 >= kThreeHalfPi) bottom = c.y - r;
  }
  const TBox box{{left, bottom, 0}, {right, top, 0}};
  return IsFiniteXY(c) && std::isfinite(r) ? HoldFinite(box) : box;
}

namespace {

// Counter-clockwise turn about the origin; a zero angle leaves the vector as it is.
TAcadPoint RotateCCW(double x, double y, double rot) {
  if (rot == 0) return {x, y, 0};
  const double c = std::cos(rot);
  const double s = std::sin(rot);
  return {x * c - y * s, x * s + y * c, 0};
}

void Grow(TBox& box, const TAcadPoint& p) {
  box.lowerLeft.x = std::min(box.lowerLeft.x, p.x);
  box.lowerLeft.y = std::min(box.lowerLeft.y, p.y);
  box.upperRight.x = std::max(box.upperRight.x, p.x);
  box.upperRight.y = std::max(box.upperRight.y, p.y);
}

// UTF-16 units, as the text is counted where the box rule comes from: a Japanese character
// counts one, not its three UTF-8 bytes.
size_t CountCharacters(std::string_view utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) {
    n += (c & 0xC0) != 0x80;
    n += c >= 0xF0;  // a character beyond the BMP takes two UTF-16 units
  }
  return n;
}

}  // namespace

double TextVerticalOffset(int code72, int code73, double h) {
  switch (code73) {
    case 0:
      return code72 == 4 ? h / 2 - 0.03 * h : 0.855 * h;
    case 1:
      return 0.994 * h;
    case 2:
      return h / 2 - 0.03 * h;
    case 3:
      return 0.086 * h;
    default:
      return h;
  }
}

namespace {

// Strings up to this length are measured each time: cheaper than looking them up.
constexpr size_t kMeasuredEachTime = 256;

}  // namespace

TextSizes::Sizes* TextSizes::Known(const SharedString& text) {
  if (text.size() <= kMeasuredEachTime) return nullptr;
  return &long_[Key{text.data(), text.size()}];
}

size_t TextSizes::Characters(const SharedString& text) {
  Sizes* known = Known(text);
  if (!known) return CountCharacters(text);
  if (known->characters == SIZE_MAX) known->characters = CountCharacters(text);
  return known->characters;
}

int TextSizes::MTextLines(const SharedString& text) {
  std::vector<std::string> lines;
  Sizes* known = Known(text);
  if (!known) return SplitMTextLines(text, lines);
  if (known->lines < 0) known->lines = SplitMTextLines(text, lines);
  return known->lines;
}

namespace {

TBox RoughTextBox(const TTextBlk& t, TextSizes& sizes) {
  const double h = t.code40;
  const double rot = t.code50 * kDegToRad;
  const bool atFirstPoint = t.mtflag || (t.code72 == 0 && t.code73 == 0);
  const TAcadPoint a = atFirstPoint ? t.pt10 : t.pt11;
  TBox box{{a.x, a.y, 0}, {a.x, a.y, 0}};

  if (!t.mtflag) {
    const double w = h * t.code41 * 0.855 * double(sizes.Characters(t.str));
    double dx = 0;
    switch (t.code72) {
      case 1:
      case 4:
        dx = -w / 2;
        break;
      case 2:
      case 3:
      case 5:
        dx = -w;
        break;
      default:
        break;
    }
    const double dy = TextVerticalOffset(t.code72, t.code73, h);
    const TAcadPoint v = RotateCCW(dx, dy, rot);
    const TAcadPoint b{a.x + 2 * v.x, a.y + 2 * v.y, a.z};
    const TAcadPoint c = PolarPoint(b, rot - kPi / 4, h);
    for (const TAcadPoint& p : {b, PolarPoint(b, rot, w), c, PolarPoint(c, rot, w)})
      Grow(box, p);
    return box;
  }

  const double k = sizes.MTextLines(t.str);
  const double w = t.code41;
  const double pitch = h * t.code44 * 1.86;
  double x1 = 0, x2 = w;
  switch (t.code71) {
    case 2:
    case 5:
    case 8:
      x1 = w / 2;
      x2 = -w / 2;
      break;
    case 3:
    case 6:
    case 9:
      x1 = 0;
      x2 = -w;
      break;
    default:
      break;
  }
  double y1 = 0, y2 = -pitch * k;
  switch (t.code71) {
    case 4:
    case 5:
    case 6:
      y1 = pitch / 2 * k;
      y2 = -pitch / 2 * k;
      break;
    case 7:
    case 8:
    case 9:
      y1 = pitch * k;
      y2 = 0;
      break;
    default:
      break;
  }
  for (double x : {x1, x2}) {
    for (double y : {y1, y2}) {
      const TAcadPoint v = RotateCCW(x, y, rot);
      Grow(box, {a.x + v.x, a.y + v.y, 0});
    }
  }
  return box;
}

}  // namespace

TBox TextBox(const TTextBlk& t) {
  TextSizes sizes;
  return TextBox(t, sizes);
}

TBox TextBox(const TTextBlk& t, TextSizes& sizes) {
  const TBox box = RoughTextBox(t, sizes);
  const bool finite = IsFiniteXY(t.pt10) && IsFiniteXY(t.pt11) && std::isfinite(t.code40) &&
                      std::isfinite(t.code41) && std::isfinite(t.code44) && std::isfinite(t.code50);
  return finite ? HoldFinite(box) : box;
}

}  // namespace kestrel::dxf
