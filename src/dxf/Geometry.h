// Geometry over TAcadPoint values and text records: pure functions, none touches a drawing's
// lists. Angles are radians here; record fields hold degrees.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "dxf/Drawing.h"

namespace kestrel::dxf {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kThreeHalfPi = 4.71238898038469;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kDegToRad = 0.017453292519943295;
inline constexpr double kRadToDeg = 57.29577951308232;

inline TAcadPoint MakePoint(double x, double y, double z) {
  return {x, y, z};
}
inline TAcadPoint AddPoint(const TAcadPoint& p, const TAcadPoint& q) {
  return {p.x + q.x, p.y + q.y, p.z + q.z};
}
inline TAcadPoint SubPoint(const TAcadPoint& p, const TAcadPoint& q) {
  return {p.x - q.x, p.y - q.y, p.z - q.z};
}
// The point relative to a centre in the XY plane; z is kept.
inline TAcadPoint SubPointXY(const TAcadPoint& p, const TAcadPoint& c) {
  return {p.x - c.x, p.y - c.y, p.z};
}
inline TAcadPoint MulPoint(const TAcadPoint& p, const TAcadPoint& q) {
  return {p.x * q.x, p.y * q.y, p.z * q.z};
}

inline TAcadPoint operator+(const TAcadPoint& p, const TAcadPoint& q) {
  return AddPoint(p, q);
}
inline TAcadPoint operator-(const TAcadPoint& p, const TAcadPoint& q) {
  return SubPoint(p, q);
}
inline TAcadPoint operator*(const TAcadPoint& p, double f) {
  return {p.x * f, p.y * f, p.z * f};
}
inline TAcadPoint operator*(double f, const TAcadPoint& p) {
  return p * f;
}

// Clockwise rotation about the origin; pass a negative angle to turn counter-clockwise.
TAcadPoint RotatePointCW(const TAcadPoint& p, double a);

// The point at angle `a` and distance `d` from `c`, with c's z. The four right angles are
// exact, so points on the axes carry no rounding error.
TAcadPoint PolarPoint(const TAcadPoint& c, double a, double d);

double Distance2D(const TAcadPoint& p, const TAcadPoint& q);

// Direction of q seen from p, in [0, 2π); nearly vertical or horizontal directions snap.
double Angle2D(const TAcadPoint& p, const TAcadPoint& q);

// Where line p1–p2 meets line p3–p4 in the XY plane (with p1's z). When `bounded`, both
// positions must lie in [1e-12, 1]: a crossing at p1 or p3 does not count, one at p2 or p4 does.
std::optional<TAcadPoint> IntersectLines(const TAcadPoint& p1, const TAcadPoint& p2,
                                         const TAcadPoint& p3, const TAcadPoint& p4, bool bounded);

// The arc of a polyline segment with a non-zero bulge; it runs counter-clockwise from `start`
// to `end` (radians).
struct TBulgeArc {
  TAcadPoint center;
  double radius = 0;
  double start = 0;
  double end = 0;
};
TBulgeArc BulgeToArc(const TAcadPoint& p1, const TAcadPoint& p2, double bulge);

TAcadPoint Normalize(const TAcadPoint& v);
TAcadPoint Cross(const TAcadPoint& a, const TAcadPoint& b);

// From the object coordinate system of extrusion `n` (used as given, not normalised) to world
// coordinates, by the arbitrary axis algorithm of DXF.
TAcadPoint OcsToWcs(const TAcadPoint& p, const TAcadPoint& n);

// o + X·p.x + Y·p.y + Z·p.z
TAcadPoint ApplyAxes(const TAcadPoint& p, const TAcadPoint& o, const TAcadPoint& axisX,
                     const TAcadPoint& axisY, const TAcadPoint& axisZ);

bool NearlyEqual(const TAcadPoint& p, const TAcadPoint& q, double tolerance);

// Box around an arc from a1 to a2 (radians, counter-clockwise), x and y only. Finite values
// give a finite box: a side beyond the largest double is held at it.
TBox ArcBox(const TAcadPoint& c, double r, double a1, double a2);

// What a text's box needs of its string: its length in UTF-16 units and, for an MTEXT, its
// number of lines. Both are found once for each long string: the copies of a block's text share
// one string, and a box is asked for each copy (by the extents and on every redraw). The
// strings must stay as they are while this is in use.
class TextSizes {
 public:
  size_t Characters(const SharedString& text);
  int MTextLines(const SharedString& text);

 private:
  struct Key {
    const char* data;
    size_t size;
    friend bool operator==(const Key&, const Key&) = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const { return std::hash<const char*>()(k.data) ^ k.size; }
  };
  struct Sizes {
    size_t characters = SIZE_MAX;
    int lines = -1;
  };
  Sizes* Known(const SharedString& text);
  std::unordered_map<Key, Sizes, KeyHash> long_;
};

// Rough box around a text from its character count, not from font metrics (x and y only);
// finite values give a finite box, as for ArcBox.
TBox TextBox(const TTextBlk& text);
TBox TextBox(const TTextBlk& text, TextSizes& sizes);

// The offset from a TEXT's alignment point to its placement point along the text's up
// direction, by its vertical alignment (code73; with code72 4, "middle", a baseline text is
// centred), for a text of height h. The box above and the drawn text share it.
double TextVerticalOffset(int code72, int code73, double h);

}  // namespace kestrel::dxf
