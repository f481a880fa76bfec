#include "workarea/work_offsets.h"

#include <cmath>
#include <optional>

#include "contour/contour_ops.h"
#include "contour/contour_utils.h"
#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

bool Same(const Point3& a, double x, double y) {
  return std::fabs(a.x - x) < kEps && std::fabs(a.y - y) < kEps;
}
bool Same(const Point3& a, const Point3& b) { return Same(a, b.x, b.y); }

constexpr std::string_view kInternal = "Internal";
constexpr std::string_view kSingle = "Single";
constexpr double kStep = 1e-4;              // extension probes step 1e-4 ...
constexpr int32_t kMaxSteps = 1'000'000;    // ... up to 100

// The test point of a segment for the side check: a line's mean of ends, else its mid point.
void TestPoint(const Segment& s, double& x, double& y) {
  if (s.IsLine()) {
    x = (s.StartPt.x + s.EndPt.x) / 2.0;
    y = (s.StartPt.y + s.EndPt.y) / 2.0;
  } else {
    x = s.MidPt.x;
    y = s.MidPt.y;
  }
}

// Offsets `source` (its Side selects the side) at `distance`; when the offset's first segment
// that lies inside the blank lies outside the region to machine, the side was wrong: Side is
// negated and the offset made again. Answers the offset, or nothing when the service failed.
std::optional<Contour> VerifiedOffset(GeometryServices& geometry, Contour& source,
                                      double distance, const Contour& blank,
                                      const Contour& region) {
  ContourList list;
  if (!geometry.Offset(source, kInternal, distance, kSingle, 1, list) || list.Count() == 0) {
    return std::nullopt;
  }
  Contour result = list.Contours[0];
  for (const Segment& s : result.Segs) {
    double x = 0, y = 0;
    TestPoint(s, x, y);
    if (geometry.PointInContour(blank, x, y) != kInside) continue;
    if (geometry.PointInContour(region, x, y) == kOutside) {
      source.Side = static_cast<int16_t>(-source.Side);
      ContourList again;
      if (geometry.Offset(source, kInternal, distance, kSingle, 1, again) && again.Count() > 0) {
        result = again.Contours[0];
      }
    }
    break;
  }
  return result;
}

// The first point outside the region from p along the angle, in steps of 1e-4 up to 100; p itself
// when there is none.
Point3 StepOutside(GeometryServices& geometry, const Contour& region, const Point3& p,
                   double angle) {
  const double c = std::cos(angle);
  const double s = std::sin(angle);
  for (int32_t k = 1; k <= kMaxSteps; ++k) {
    const double d = k * kStep;
    const double x = p.x + d * c;
    const double y = p.y + d * s;
    if (geometry.PointInContour(region, x, y) == kOutside) return Point3{x, y, p.z};
  }
  return p;
}

void ExtendStart(GeometryServices& geometry, const Contour& region, Contour& chain) {
  Segment& first = chain.Seg(0);
  const Point3 p = first.StartPt;
  if (geometry.PointInContour(region, p.x, p.y) == kOutside) return;
  const double direction = first.Tangent[0];
  const Point3 q = StepOutside(geometry, region, p, direction + kPi);
  if (first.IsLine()) {
    first.StartPt = q;
    first.Length = std::hypot(first.EndPt.x - q.x, first.EndPt.y - q.y);
    return;
  }
  Segment lead = MakeLine(q.x, q.y, p.x, p.y);
  lead.Tangent[0] = direction;
  lead.Tangent[1] = direction;
  chain.Segs.insert(chain.Segs.begin(), lead);
}

void ExtendEnd(GeometryServices& geometry, const Contour& region, Contour& chain) {
  Segment& last = chain.Seg(chain.Count() - 1);
  const Point3 p = last.EndPt;
  if (geometry.PointInContour(region, p.x, p.y) == kOutside) return;
  const double direction = last.IsLine() ? last.Tangent[0] : last.Tangent[1];
  const Point3 q = StepOutside(geometry, region, p, direction);
  if (last.IsLine()) {
    last.EndPt = q;
    last.Length = std::hypot(q.x - last.StartPt.x, q.y - last.StartPt.y);
    return;
  }
  Segment tail = MakeLine(p.x, p.y, q.x, q.y);
  tail.Tangent[0] = direction;
  tail.Tangent[1] = direction;
  chain.Segs.push_back(tail);
}

// The segments of `c` from the first that starts at `from` up to and including the first later
// one that ends at `to`.
std::vector<Segment> RunBetween(const Contour& c, const Crossing& from, const Crossing& to) {
  for (int32_t a = 0; a < c.Count(); ++a) {
    if (!Same(c.Seg(a).StartPt, from.X, from.Y)) continue;
    for (int32_t b = a; b < c.Count(); ++b) {
      if (Same(c.Seg(b).EndPt, to.X, to.Y)) {
        return std::vector<Segment>(c.Segs.begin() + a, c.Segs.begin() + b + 1);
      }
    }
    break;
  }
  throw GeometryError("the finishing chain and the region do not meet at their crossings");
}

bool Offsets(OperationState& state) {
  GeometryServices& geometry = state.Geometry();
  WorkingContours& c = state.contours;
  Contour& work = c.work;
  Contour& region = c.toMachine;
  const double r = state.tool.GeomCornerRadius;
  const double t = state.params.FinishAllowance();

  // 1. Run the work contour the way the region's boundary runs along it.
  const Point3 a = work.First().StartPt;
  const Point3 b = work.First().EndPt;
  bool aligned = false;
  for (const Segment& s : region.Segs) {
    if (Same(s.StartPt, a)) {
      aligned = Same(s.EndPt, b);
      break;
    }
  }
  if (!aligned) ReverseContour(work);

  // 2. The side the offset service works on.
  work.Side = work.First().StartPt.x < work.Last().EndPt.x ? 1 : -1;

  // 3.-5. The corner-radius offset replaces the work contour.
  SimplifyContour(work);
  Contour offset = work;
  if (r > kEps) {
    if (std::optional<Contour> o = VerifiedOffset(geometry, work, std::fabs(r), c.blank, region)) {
      offset = *o;
      SimplifyContour(offset);
    }
  }
  offset.Side = work.Side;
  work = offset;

  // 6. The finishing chain at the finish thickness.
  Contour chain = work;
  if (t > 0.0) {
    if (std::optional<Contour> o = VerifiedOffset(geometry, work, t, c.blank, region)) {
      chain = *o;
      SimplifyContour(chain);
    }
  }

  // 7. Nothing to finish along: the region itself is to be cleared.
  if (chain.Empty()) {
    c.toClear = region;
    return true;
  }

  // 8., 9. Both ends of the chain reach out of the region.
  ExtendStart(geometry, region, chain);
  ExtendEnd(geometry, region, chain);

  // 10. Cut chain and region at their crossings.
  IntersectionResult crossings;
  geometry.Intersect(chain, region, crossings);
  if (crossings.Count() < 2) throw GeometryError("the finishing chain crosses the region less than twice");
  for (int32_t j = 0; j < crossings.Count(); ++j) {
    const Crossing& p = crossings.Points[static_cast<size_t>(j)];
    SplitContourAtPoint(geometry, chain, p.X, p.Y);
    SplitContourAtPoint(geometry, region, p.X, p.Y);
    if (j == 1) RestartContourNearPoint(region, p.X, p.Y);
  }
  const Crossing& p0 = crossings.Points[0];
  const Crossing& p1 = crossings.Points[1];
  std::vector<Segment> g = RunBetween(chain, p0, p1);
  std::vector<Segment> h = RunBetween(region, p1, p0);

  // 11. The outline to clear: the chain, then the region's boundary back to its start.
  c.toClear.Reset();
  c.toClear.Segs = std::move(g);
  c.toClear.Segs.insert(c.toClear.Segs.end(), h.begin(), h.end());
  return true;
}

}  // namespace

bool OffsetWorkContour(OperationState& state) {
  return WithHandler([&] { return Offsets(state); });
}

}  // namespace sulkor
