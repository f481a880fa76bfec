#include "toolpath/cut_region.h"

#include <cmath>

#include "geometry/contour_utils.h"
#include "geometry/primitives.h"
#include "geometry/segment_build.h"
#include "groove/work_kind.h"
#include "workarea/work_segments.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

// What differs between the four kinds of work.
struct CutVariant {
  double shiftX, shiftY;   // the shifted copy of the outline
  bool restartXFromFirst;  // restart point x: the work contour's first start, else its last end
  bool restartYFromFirst;  // restart point y: likewise
  double probeDy;          // the spike probe starts at (E.x + 1e-5, E.y + probeDy)
  double probeAngle;       // and runs along +x (0) or +y (pi/2)
};

CutVariant VariantOf(WorkKind kind, double span) {
  switch (kind) {
    case WorkKind::OutsideDiameter: return {-span, 1e-6, false, false, -1e-5, 0.0};
    case WorkKind::Bore: return {-span, -1e-6, true, false, 1e-5, 0.0};
    case WorkKind::FrontFace: return {1e-6, -span, true, false, 1e-5, kPi / 2.0};
    case WorkKind::BackFace: return {-1e-6, -span, false, true, 1e-5, kPi / 2.0};
  }
  throw GeometryError("unknown kind of work");
}

// A joint between two segments that forms a narrow spike against the plunge direction.
bool IsSpikeJoint(WorkKind kind, const Segment& a, const Segment& b) {
  const Point3& sa = a.StartPt;
  const Point3& ea = a.EndPt;
  const Point3& sb = b.StartPt;
  const Point3& eb = b.EndPt;
  constexpr double m = kProbeEps;
  switch (kind) {
    case WorkKind::OutsideDiameter: return ea.y > sa.y + m && sb.y > eb.y + m;
    case WorkKind::Bore: return sa.y + m > ea.y && eb.y > sb.y + m;
    case WorkKind::FrontFace: return ea.x > sa.x + m && sb.x > eb.x + m;
    case WorkKind::BackFace: return sa.x + m > ea.x && eb.x + m > sb.x;
  }
  return false;
}

// One scan for spikes from segment `from` on: the first spike found is bridged by a line w long
// or shorter. Answers the index to scan from next, or -1 when the scan found nothing to bridge.
int32_t BridgeOneSpike(GeometryServices& geometry, const Contour& blank, WorkKind kind,
                       const CutVariant& v, double w, int32_t from, Contour& region) {
  for (int32_t i = from; i <= region.Count() - 2; ++i) {
    if (!IsSpikeJoint(kind, region.Seg(i), region.Seg(i + 1))) continue;
    const Point3 e = region.Seg(i).EndPt;
    if (geometry.PointInContour(blank, e.x, e.y) != kInside) continue;

    const double px = e.x + 1e-5;
    const double py = e.y + v.probeDy;
    Segment probe =
        MakeLine(px, py, px + w * std::cos(v.probeAngle), py + w * std::sin(v.probeAngle));
    probe.Tangent[0] = v.probeAngle;
    probe.Length = w;
    IntersectionResult hits;
    geometry.Intersect(region, MakeContour({probe}), hits);
    if (hits.Count() == 0) continue;

    // The first crossing beyond the spike's far wall, else the last one.
    const Crossing* chosen = &hits.Points.back();
    for (const Crossing& h : hits.Points) {
      if (h.Seg1 > i + 1) {
        chosen = &h;
        break;
      }
    }
    Point3 x{chosen->X, chosen->Y, 0.0};
    int32_t j = chosen->Seg1;
    const Point3 endJ = region.Seg(j).EndPt;
    if (std::fabs(x.x - endJ.x) < kProbeEps || std::fabs(x.y - endJ.y) < kProbeEps) {
      x = endJ;
      ++j;
    }
    Segment continued = region.Seg(j);
    continued.StartPt = x;
    if (continued.IsLine() || continued.IsArc()) RecomputeSegment(continued);

    std::vector<Segment> rebuilt(region.Segs.begin(), region.Segs.begin() + i + 1);
    rebuilt.push_back(MakeLine(e.x, e.y, x.x, x.y));
    rebuilt.push_back(continued);
    rebuilt.insert(rebuilt.end(), region.Segs.begin() + j + 1, region.Segs.end());
    region.Segs = std::move(rebuilt);
    return i + 2;
  }
  return -1;
}

bool Build(OperationState& state, Contour& region) {
  GeometryServices& geometry = state.Geometry();
  const WorkingContours& c = state.contours;
  const WorkKind kind = KindOfWork(state.params.TrajectoryType, state.directionSign);
  const double w = state.tool.Width;
  const CutVariant v = VariantOf(kind, w - 2.0 * state.tool.GeomCornerRadius);

  const Point3 first = c.work.First().StartPt;
  const Point3 last = c.work.Last().EndPt;
  const double restartX = v.restartXFromFirst ? first.x : last.x;
  const double restartY = v.restartYFromFirst ? first.y : last.y;

  // Where the corner centre on the low side and the one w - 2r beyond both lie in the outline.
  Contour shifted = c.toClear;
  for (Segment& s : shifted.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) {
      p->x += v.shiftX;
      p->y += v.shiftY;
    }
  }
  IntersectionResult crossings;
  geometry.Intersect(c.toClear, shifted, crossings);
  ContourList common;
  if (!geometry.Common(c.toClear, shifted, crossings, common) || common.Count() == 0) return false;
  region = common.Contours[0];

  SimplifyContour(region);
  RestartContourNearPoint(region, restartX, restartY);
  if (ContourOrientation(geometry, region) == -1) ReverseContour(region);

  const int32_t limit = 2 * region.Count();
  for (int32_t from = 0; from >= 0;) {
    if (region.Count() > limit) return false;
    from = BridgeOneSpike(geometry, c.blank, kind, v, w, from, region);
  }
  return !region.Empty();
}

}  // namespace

bool BuildCutRegion(OperationState& state, Contour& region) {
  return WithHandler([&] { return Build(state, region); });
}

}  // namespace sulkor
