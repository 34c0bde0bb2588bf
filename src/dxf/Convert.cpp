#include "dxf/Convert.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <span>
#include <utility>
#include <vector>

#include "dxf/Geometry.h"

namespace kestrel::dxf {

namespace {

constexpr double kExtrusionTolerance = 0.00001;
// Steps finer than this would only multiply lines; they come from callers, not from files.
constexpr double kMinStepDegrees = 0.01;

bool IsTilted(const TAcadPoint& extrusion) {
  return !NearlyEqual(extrusion, kDefaultExtrusion, kExtrusionTolerance);
}

bool UsableStep(double stepDegrees) {
  return stepDegrees >= kMinStepDegrees && std::isfinite(stepDegrees);
}

// The vertex runs of polylines, taken one after the other. A run is the first stretch of
// vertices owned by the header at or after where the previous run ended; a header without
// vertices leaves that position. A sorted index by owner finds the stretch directly, so that
// headers without vertices do not rescan the rest of the list.
class VertexRuns {
 public:
  explicit VertexRuns(const std::vector<TLwpVer>& vertices) : vertices_(vertices) {
    byOwner_.reserve(vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i)
      byOwner_.emplace_back(vertices[i].ihand, i);
    std::sort(byOwner_.begin(), byOwner_.end());
  }

  std::span<const TLwpVer> Next(int32_t ihand) {
    auto it = std::lower_bound(byOwner_.begin(), byOwner_.end(), std::pair{ihand, position_});
    if (it == byOwner_.end() || it->first != ihand) return {};
    const size_t start = it->second;
    size_t end = start;
    while (end < vertices_.size() && vertices_[end].ihand == ihand)
      ++end;
    position_ = end;
    return {vertices_.data() + start, end - start};
  }

 private:
  const std::vector<TLwpVer>& vertices_;
  std::vector<std::pair<int32_t, size_t>> byOwner_;
  size_t position_ = 0;
};

// Calls `segment(from, to)` for each pair of consecutive vertices, closing back to the first
// vertex when the polyline is closed.
template <class Fn>
void ForEachSegment(std::span<const TLwpVer> run, bool closed, Fn&& segment) {
  const size_t n = run.size();
  if (n == 0) return;
  const size_t count = closed ? n : n - 1;
  for (size_t i = 0; i < count; ++i)
    segment(run[i], run[(i + 1) % n]);
}

// Layer, line type, colour and name of the containing block: what every converted piece keeps.
template <class Target, class Source>
void TakeLook(Target& target, const Source& source) {
  target.bname = source.bname;
  target.layer = source.layer;
  target.ltype = source.ltype;
  target.color = source.color;
}

TAcadLineBlk MakeLine(const TAcadPoint& st, const TAcadPoint& ed) {
  TAcadLineBlk line;
  line.st = st;
  line.ed = ed;
  return line;
}

bool IsClosed(const TLwpBlk& header) {
  return (header.code70 & 1) != 0;
}

constexpr int16_t kPolygonMesh = 16;
constexpr int16_t kPolyfaceMesh = 64;

// Column lines of an M×N polygon mesh. Columns and rows stop at the last vertex present, so a
// mesh whose counts exceed its vertices neither reads past them nor loops over the counts.
void ConvertPolygonMesh(Drawing& d, const TLwpBlk& header, std::span<const TLwpVer> run,
                        ByteBudget& budget) {
  const size_t count = run.size();
  const long long m = header.code71;
  const long long n = header.code72;
  if (n <= 0) return;
  const auto append = [&](const TAcadPoint& a, const TAcadPoint& b) {
    TAcadLineBlk line = MakeLine(a, b);
    TakeLook(line, header);
    line.code67 = header.code67;
    line.code210 = header.code210;
    AppendRecord(d.LineAry, std::move(line), budget);
  };
  for (long long c = 0; c < n && size_t(c) < count; ++c) {
    TAcadPoint current = run[size_t(c)].code10;
    for (long long r = 1; r < m; ++r) {
      const long long index = r * n + c;
      if (size_t(index) >= count) break;
      append(current, run[size_t(index)].code10);
      current = run[size_t(index)].code10;
    }
    if (IsClosed(header)) append(current, run[size_t(c)].code10);
  }
}

void ConvertPlainPolyline(Drawing& d, const TLwpBlk& header, std::span<const TLwpVer> run,
                          ByteBudget& budget) {
  ForEachSegment(run, IsClosed(header), [&](const TLwpVer& a, const TLwpVer& b) {
    if (a.code42 == 0) {
      TAcadLineBlk line = MakeLine(a.code10, b.code10);
      TakeLook(line, header);
      line.code67 = header.code67;
      line.code210 = header.code210;
      AppendRecord(d.LineAry, std::move(line), budget);
      return;
    }
    const TBulgeArc arc = BulgeToArc(a.code10, b.code10, a.code42);
    const double s = arc.start * kRadToDeg;
    const double e = arc.end * kRadToDeg;
    // An arc of a degree or less is drawn as its chord.
    if (std::fabs((s > e ? e + 360 : e) - s) <= 1) {
      TAcadLineBlk line = MakeLine(PolarPoint(arc.center, arc.start, arc.radius),
                                   PolarPoint(arc.center, arc.end, arc.radius));
      TakeLook(line, header);
      line.code67 = header.code67;
      line.code210 = header.code210;
      AppendRecord(d.LineAry, std::move(line), budget);
      return;
    }
    TArcBlk out;
    TakeLook(out, header);
    out.center = arc.center;
    out.hankei = arc.radius;
    out.st = s;
    out.ed = e;
    out.code67 = header.code67;
    out.code210 = header.code210;
    AppendRecord(d.ArcAry, std::move(out), budget);
  });
}

// The lines through `points` that replace a tilted arc or circle, with its look and extrusion.
template <class Source>
void AppendPolygon(Drawing& d, const Source& source, const std::vector<TAcadPoint>& points,
                   ByteBudget& budget) {
  for (size_t k = 0; k + 1 < points.size(); ++k) {
    TAcadLineBlk line = MakeLine(points[k], points[k + 1]);
    line.layer = source.layer;
    line.ltype = source.ltype;
    line.color = source.color;
    line.code210 = source.code210;
    // Paper-space geometry stays out of the model-space picture after conversion too.
    line.code67 = source.code67;
    AppendRecord(d.LineAry, std::move(line), budget);
  }
}

}  // namespace

void ConvertBlockPolylines(Drawing& d, ByteBudget& budget) {
  VertexRuns runs(d.BlkVerAry);
  for (const TLwpBlk& header : d.BlkLwpAry) {
    if (header.code60 != 0) continue;
    const std::span<const TLwpVer> run = runs.Next(header.ihand);
    if ((header.code70 & (kPolygonMesh | kPolyfaceMesh)) != 0) continue;
    ForEachSegment(run, IsClosed(header), [&](const TLwpVer& a, const TLwpVer& b) {
      if (a.code42 != 0) {
        const TBulgeArc arc = BulgeToArc(a.code10, b.code10, a.code42);
        TArcBlk out;
        TakeLook(out, header);
        out.center = arc.center;
        out.hankei = arc.radius;
        out.st = arc.start * kRadToDeg;
        out.ed = arc.end * kRadToDeg;
        out.code67 = header.code67;
        AppendRecord(d.BlkArcAry, std::move(out), budget);
      } else {
        TAcadLineBlk line = MakeLine(a.code10, b.code10);
        TakeLook(line, header);
        line.code67 = header.code67;
        AppendRecord(d.BlkLineAry, std::move(line), budget);
      }
    });
  }
}

void ConvertPolylines(Drawing& d, ByteBudget& budget) {
  VertexRuns runs(d.VerAry);
  for (const TLwpBlk& header : d.LwpAry) {
    if (header.code60 != 0) continue;
    const std::span<const TLwpVer> run = runs.Next(header.ihand);
    if ((header.code70 & kPolygonMesh) != 0) {
      ConvertPolygonMesh(d, header, run, budget);
    } else if ((header.code70 & kPolyfaceMesh) == 0) {
      ConvertPlainPolyline(d, header, run, budget);
    }
  }
}

void ConvertEllipses(Drawing& d, double stepDegrees, ByteBudget& budget) {
  if (!UsableStep(stepDegrees)) return;
  const double step = stepDegrees * kDegToRad;
  for (const TEllipseBlk& e : d.EllipseAry) {
    if (e.code60 != 0) continue;
    const TAcadPoint& endpoint = e.endpoint;
    const double length =
        std::sqrt(endpoint.x * endpoint.x + endpoint.y * endpoint.y + endpoint.z * endpoint.z);
    if (!(length > 0) || !std::isfinite(length)) continue;  // no axis to draw along
    const TAcadPoint axisX = endpoint * (1 / length);
    const TAcadPoint axisY = Cross(axisX, e.code210);
    const auto pointAt = [&](double t) {
      // PolarPoint makes the quarter parameters exact.
      const TAcadPoint cs = PolarPoint({0, 0, 0}, t, 1);
      return ApplyAxes({length * cs.x, -length * e.henpei * cs.y, 0}, e.center, axisX, axisY,
                       e.code210);
    };
    double start = e.kaisi;
    double end = e.owari;
    if (!std::isfinite(start) || !std::isfinite(end)) continue;
    // An elliptical arc may run through parameter 0: its end is then below its start.
    if (end < start) end += kTwoPi;
    if (!(end > start)) continue;
    // A sweep beyond a full turn only retraces the curve: one turn draws the same picture and
    // bounds the work. The extra step absorbs the rounding of t's running sum.
    const double sweep = std::min(end - start, kTwoPi);
    const long long maxSteps = (long long)std::ceil(sweep / step) + 1;
    double t = start;
    TAcadPoint previous = pointAt(t);
    for (long long i = 0; i < maxSteps && t < end; ++i) {
      t += step;
      if (t > end) t = end;
      const TAcadPoint current = pointAt(t);
      if (!NearlyEqual(previous, current, 0.00001)) {
        TAcadLineBlk line = MakeLine(previous, current);
        line.layer = e.layer;
        line.ltype = e.ltype;
        line.color = e.color;
        line.code210 = kDefaultExtrusion;
        AppendRecord(d.LineAry, std::move(line), budget);
      }
      previous = current;
    }
  }
}

void ConvertTiltedArcs(Drawing& d, double stepDegrees, ByteBudget& budget) {
  if (!UsableStep(stepDegrees)) return;
  std::vector<TAcadPoint> points;
  // Appending lines never touches ArcAry, so references into it stay valid.
  for (TArcBlk& arc : d.ArcAry) {
    if (arc.code60 != 0 || !IsTilted(arc.code210)) continue;
    const TArcBlk source = arc;
    arc.code67 = -1;
    double start = source.st;
    double end = source.ed;
    double sweep = (start > end ? end + 360 : end) - start;
    // An arc sweeping more than a full turn covers its whole circle: one turn draws that.
    if (sweep > 360) {
      sweep = 360;
      end = start + 360;
    }
    const long long n = sweep > 0 ? std::llrint(sweep / stepDegrees) : 0;
    points.clear();
    for (long long k = 0; k <= n; ++k) {
      points.push_back(
          PolarPoint(source.center, (start + double(k) * stepDegrees) * kDegToRad, source.hankei));
    }
    points.push_back(PolarPoint(source.center, end * kDegToRad, source.hankei));
    AppendPolygon(d, source, points, budget);
  }
}

void ConvertTiltedCircles(Drawing& d, double stepDegrees, ByteBudget& budget) {
  if (!UsableStep(stepDegrees)) return;
  const long long n = std::llrint(360 / stepDegrees - 0.5);
  std::vector<TAcadPoint> points;
  for (TCircleBlk& circle : d.CircleAry) {
    if (circle.code60 != 0 || !IsTilted(circle.code210)) continue;
    const TCircleBlk source = circle;
    circle.code67 = -1;
    points.clear();
    for (long long k = 0; k <= n; ++k) {
      points.push_back(
          PolarPoint(source.center, (double(k) * stepDegrees) * kDegToRad, source.hankei));
    }
    points.push_back(points.front());  // the closing line back to the start
    AppendPolygon(d, source, points, budget);
  }
}

void LinesToWorld(Drawing& d) {
  for (TAcadLineBlk& line : d.LineAry) {
    if (!IsTilted(line.code210)) continue;
    line.st = OcsToWcs(line.st, line.code210);
    line.ed = OcsToWcs(line.ed, line.code210);
  }
}

void TextsToWorld(Drawing& d) {
  for (TTextBlk& text : d.TextAry) {
    if (!IsTilted(text.code210)) continue;
    const TAcadPoint& n = text.code210;
    text.pt10 = OcsToWcs(text.pt10, n);
    text.pt11 = OcsToWcs(text.pt11, n);
    // The direction in which the object X axis lies in the world XY plane.
    text.code50 += Angle2D(OcsToWcs({0, 0, 0}, n), OcsToWcs({100, 0, 0}, n)) * kRadToDeg;
  }
}

void ConvertFaces(Drawing& d, ByteBudget& budget) {
  for (const TFaceBlk& face : d.FaceAry) {
    if (face.code60 != 0 || face.count <= 0) continue;
    const int count = std::min<int>(face.count, int(face.pt.size()));
    for (int j = 0; j < count; ++j) {
      TAcadLineBlk line = MakeLine(face.pt[size_t(j)], face.pt[size_t((j + 1) % count)]);
      line.layer = face.layer;
      line.ltype = face.ltype;
      line.color = face.color;
      line.code67 = face.code67;
      AppendRecord(d.LineAry, std::move(line), budget);
    }
  }
}

void ConvertLeaders(Drawing& d, ByteBudget& budget) {
  for (const TLeaderBlk& leader : d.LeaderAry) {
    if (leader.code60 != 0 || leader.code76 <= 1) continue;
    const auto append = [&](const TAcadPoint& a, const TAcadPoint& b) {
      TAcadLineBlk line = MakeLine(a, b);
      TakeLook(line, leader);
      AppendRecord(d.LineAry, std::move(line), budget);
    };
    append(leader.p1, leader.p2);
    TAcadPoint last = leader.p2;
    if (leader.code76 > 2) {
      append(leader.p2, leader.p3);
      last = leader.p3;
    }
    // The hook line under the annotation.
    if (leader.code41 != 0) append(last, PolarPoint(last, 0, leader.code41));
  }
}

void ConvertSolids(Drawing& d, ByteBudget& budget) {
  for (const TSolidBlk& solid : d.SolidAry) {
    if (solid.code60 != 0) continue;
    const TAcadPoint* corners[] = {&solid.p1, &solid.p2, &solid.p3};
    for (int k = 0; k < 3; ++k) {
      TAcadLineBlk line = MakeLine(*corners[k], *corners[(k + 1) % 3]);
      TakeLook(line, solid);
      AppendRecord(d.LineAry, std::move(line), budget);
    }
  }
}

void ConvertSplines(Drawing& d, ByteBudget& budget) {
  for (const TSplineBlk& spline : d.SplineAry) {
    if (spline.code60 != 0 || (spline.code70 & 8) == 0) continue;
    const std::vector<TAcadPoint>& points = spline.code10Ary;
    for (size_t k = 0; k + 1 < points.size(); ++k) {
      TAcadLineBlk line = MakeLine(points[k], points[k + 1]);
      TakeLook(line, spline);
      AppendRecord(d.LineAry, std::move(line), budget);
    }
  }
}

}  // namespace kestrel::dxf
