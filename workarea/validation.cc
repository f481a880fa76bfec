#include "workarea/validation.h"

#include <algorithm>
#include <cmath>

#include "contour/primitives.h"

namespace sulkor {
namespace {

bool Same(double ax, double ay, double bx, double by) {
  return std::fabs(ax - bx) < kEps && std::fabs(ay - by) < kEps;
}

bool Same(const Point3& a, const Point3& b) { return Same(a.x, a.y, b.x, b.y); }

// The frame of a line: along-coordinate p and across-coordinate q of a point, measured from the
// line's start along its direction Tangent[0].
struct LineFrame {
  double sx, sy, c, s, length;
  explicit LineFrame(const Segment& line)
      : sx(line.StartPt.x),
        sy(line.StartPt.y),
        c(std::cos(line.Tangent[0])),
        s(std::sin(line.Tangent[0])),
        length(std::hypot(line.EndPt.x - line.StartPt.x, line.EndPt.y - line.StartPt.y)) {}
  double Along(double x, double y) const { return (x - sx) * c + (y - sy) * s; }
  double Across(double x, double y) const { return (y - sy) * c - (x - sx) * s; }
};

struct Candidate {
  double x, y;
};

double ZeroBelowEps(double v) { return std::fabs(v) < kEps ? 0.0 : v; }

void LineWithLine(const Segment& si, const Segment& sj, std::vector<Candidate>& out) {
  const LineFrame f(si);
  const double pS = ZeroBelowEps(f.Along(sj.StartPt.x, sj.StartPt.y));
  const double qS = ZeroBelowEps(f.Across(sj.StartPt.x, sj.StartPt.y));
  const double pE = ZeroBelowEps(f.Along(sj.EndPt.x, sj.EndPt.y));
  const double qE = ZeroBelowEps(f.Across(sj.EndPt.x, sj.EndPt.y));
  if (pS < 0 && pE < 0) return;
  if (pS > f.length && pE > f.length) return;
  if (qS > kEps && qE > kEps) return;
  if (qS < -kEps && qE < -kEps) return;
  if (std::fabs(qS) < kEps && std::fabs(qE) < kEps) return;  // collinear
  if (SignWithTolerance(qS) == SignWithTolerance(qE)) return;
  const double t = pE - (pE - pS) * qE / (qE - qS);
  if (t > kEps && t < f.length - kEps) out.push_back({f.sx + t * f.c, f.sy + t * f.s});
}

void LineWithArc(const Segment& line, const Segment& arc, std::vector<Candidate>& out) {
  const LineFrame f(line);
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (!IntersectLineCircle(line.StartPt.x, line.StartPt.y, line.Tangent[0], arc.Center.x,
                           arc.Center.y, arc.Radius, x1, y1, x2, y2))
    return;
  const double p1 = f.Along(x1, y1);
  const double p2 = f.Along(x2, y2);
  if (std::fabs(p1 - p2) < kProbeEps) return;  // a tangent touch
  if (p1 > 0 && p1 < f.length && PointInArcSweep(arc, x1, y1)) out.push_back({x1, y1});
  if (p2 > 0 && p2 < f.length && PointInArcSweep(arc, x2, y2)) out.push_back({x2, y2});
}

void ArcWithArc(const Segment& a, const Segment& b, std::vector<Candidate>& out) {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (!IntersectCircles(a.Center.x, a.Center.y, a.Radius, b.Center.x, b.Center.y, b.Radius, x1,
                        y1, x2, y2))
    return;
  if (PointInArcSweep(a, x1, y1) && PointInArcSweep(b, x1, y1)) out.push_back({x1, y1});
  if (PointInArcSweep(a, x2, y2) && PointInArcSweep(b, x2, y2)) out.push_back({x2, y2});
}

}  // namespace

bool IsContourClosed(const Contour& contour, ContourRole role) {
  const Point3& start = contour.First().StartPt;
  const Point3& end = contour.Last().EndPt;
  const double dx = std::fabs(start.x - end.x);
  const double dy = std::fabs(start.y - end.y);
  if (role == ContourRole::Blank) return dx <= kClosedEps && dy <= kClosedEps;
  return dx < kClosedEps && dy < kClosedEps;
}

bool FindSelfIntersections(Contour& contour, std::vector<SelfIntersection>* found) {
  const int32_t n = contour.Count();
  if (n < 2) return false;
  for (Segment& s : contour.Segs) s.Visited = false;

  std::vector<SelfIntersection> gathered;
  std::vector<Candidate> candidates;
  for (int32_t i = 0; i < n; ++i) {
    const Segment si = contour.Seg(i);
    for (int32_t j = 0; j < n; ++j) {
      if (j == i) continue;
      const Segment sj = contour.Seg(j);

      // The vertex the two share, if any; a later match overrides an earlier one.
      Point3 shared{-1e7, -1e7, 0};
      if (Same(si.StartPt, sj.StartPt)) shared = si.StartPt;
      if (Same(si.StartPt, sj.EndPt)) shared = si.StartPt;
      if (Same(si.EndPt, sj.StartPt)) shared = si.EndPt;
      if (Same(si.EndPt, sj.EndPt)) shared = si.EndPt;

      candidates.clear();
      if (si.IsLine() && sj.IsLine()) {
        LineWithLine(si, sj, candidates);
      } else if (si.IsLine() && sj.IsArc()) {
        LineWithArc(si, sj, candidates);
      } else if (si.IsArc() && sj.IsLine()) {
        LineWithArc(sj, si, candidates);
      } else if (si.IsArc() && sj.IsArc()) {
        ArcWithArc(si, sj, candidates);
      }

      for (const Candidate& p : candidates) {
        if (Same(p.x, p.y, sj.StartPt.x, sj.StartPt.y)) continue;
        if (Same(p.x, p.y, shared.x, shared.y)) continue;
        bool known = false;
        for (const SelfIntersection& g : gathered) known = known || Same(p.x, p.y, g.xInt, g.yInt);
        if (known) continue;
        gathered.push_back({std::min(i, j), std::max(i, j), p.x, p.y, 0});
      }
    }
  }
  const bool crosses = !gathered.empty();
  if (found) *found = std::move(gathered);
  return crosses;
}

}  // namespace sulkor
