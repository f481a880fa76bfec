#include "workarea/work_segments.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "contour/tolerances.h"

namespace sulkor {

bool SamePoint(double x1, double y1, double x2, double y2) {
  return std::abs(x1 - x2) < kEps && std::abs(y1 - y2) < kEps;
}

bool SamePoint(const Point3& a, const Point3& b) { return SamePoint(a.x, a.y, b.x, b.y); }

void SetXY(Point3& point, double x, double y) {
  point.x = x;
  point.y = y;
}

void RecomputeArc(Segment& arc) {
  double mx = 0.0;
  double my = 0.0;
  ArcMidPoint(arc.Center.x, arc.Center.y, arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y,
              arc.Radius, arc.Direction, mx, my);
  SetXY(arc.MidPt, mx, my);
  ArcEndTangents(arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y, arc.Center.x,
                 arc.Center.y, arc.Radius, arc.Direction, arc.Tangent[0], arc.Tangent[1]);
}

void RecomputeSegment(Segment& segment) {
  if (segment.IsLine()) {
    RefreshLine(segment);
  } else {
    RecomputeArc(segment);
  }
}

Segment NewLine(double x1, double y1, double x2, double y2) {
  Segment line;
  line.Kind = SegmentKind::Line;
  SetXY(line.StartPt, x1, y1);
  SetXY(line.EndPt, x2, y2);
  RefreshLine(line);
  return line;
}

Contour ProbeContour(double x1, double y1, double x2, double y2, double length, double angle) {
  Segment line;
  line.Kind = SegmentKind::Line;
  SetXY(line.StartPt, x1, y1);
  SetXY(line.EndPt, x2, y2);
  line.Length = length;
  line.Tangent[0] = angle;
  Contour probe;
  probe.Segs.push_back(line);
  return probe;
}

double CheckedDivide(double numerator, double denominator) {
  if (denominator == 0.0) throw GeometryError("division by zero");
  const double quotient = numerator / denominator;
  if (!std::isfinite(quotient)) throw GeometryError("invalid floating-point operation");
  return quotient;
}

void ProjectOntoCircle(double cx, double cy, double radius, double px, double py, double& x,
                       double& y) {
  const double distance = std::hypot(px - cx, py - cy);
  x = cx + radius * CheckedDivide(px - cx, distance);
  y = cy + radius * CheckedDivide(py - cy, distance);
}

namespace {

constexpr int kSamplesPerSegment = 16;

// Distance from (x, y) to a line or an arc (a "Circle" counts as its whole circle).
double DistanceToSegment(const Segment& segment, double x, double y) {
  const double toStart = std::hypot(x - segment.StartPt.x, y - segment.StartPt.y);
  const double toEnd = std::hypot(x - segment.EndPt.x, y - segment.EndPt.y);
  if (segment.IsLine()) {
    const double dx = segment.EndPt.x - segment.StartPt.x;
    const double dy = segment.EndPt.y - segment.StartPt.y;
    const double lengthSquared = dx * dx + dy * dy;
    if (lengthSquared == 0.0) return toStart;
    const double t = ((x - segment.StartPt.x) * dx + (y - segment.StartPt.y) * dy) / lengthSquared;
    if (t <= 0.0) return toStart;
    if (t >= 1.0) return toEnd;
    return std::hypot(x - segment.StartPt.x - t * dx, y - segment.StartPt.y - t * dy);
  }
  const double r = std::abs(segment.Radius);
  const double fromCenter = std::hypot(x - segment.Center.x, y - segment.Center.y);
  if (fromCenter == 0.0) return r;
  const double px = segment.Center.x + (x - segment.Center.x) * r / fromCenter;
  const double py = segment.Center.y + (y - segment.Center.y) * r / fromCenter;
  if (segment.IsCircle() || PointInArcSweep(segment, px, py)) {
    return std::min(std::abs(fromCenter - r), std::min(toStart, toEnd));
  }
  return std::min(toStart, toEnd);
}

// The ends of a segment and points spread evenly between them along it.
void AddSamples(const Segment& segment, std::vector<Point3>& samples) {
  samples.push_back(segment.StartPt);
  samples.push_back(segment.EndPt);
  if (segment.IsLine()) {
    for (int k = 1; k < kSamplesPerSegment; ++k) {
      const double t = static_cast<double>(k) / kSamplesPerSegment;
      samples.push_back({segment.StartPt.x + t * (segment.EndPt.x - segment.StartPt.x),
                         segment.StartPt.y + t * (segment.EndPt.y - segment.StartPt.y), 0.0});
    }
    return;
  }
  const double r = std::abs(segment.Radius);
  if (r < kEps) return;
  const double cx = segment.Center.x;
  const double cy = segment.Center.y;
  const double a1 = AngleFromSinCos((segment.StartPt.y - cy) / r, (segment.StartPt.x - cx) / r);
  const double a2 = AngleFromSinCos((segment.EndPt.y - cy) / r, (segment.EndPt.x - cx) / r);
  const double turn = segment.Direction == 1 ? 1.0 : -1.0;
  double sweep = turn * (a2 - a1);
  if (segment.IsCircle() || SamePoint(segment.StartPt, segment.EndPt)) sweep = kTwoPi;
  if (sweep <= 0.0) sweep += kTwoPi;
  for (int k = 1; k < kSamplesPerSegment; ++k) {
    const double a = a1 + turn * sweep * k / kSamplesPerSegment;
    samples.push_back({cx + r * std::cos(a), cy + r * std::sin(a), 0.0});
  }
}

// True when every sample of a lies within 1e-6 of b.
bool LiesAlong(const Contour& a, const Contour& b) {
  std::vector<Point3> samples;
  for (const Segment& segment : a.Segs) AddSamples(segment, samples);
  for (const Point3& p : samples) {
    double nearest = 1e300;
    for (const Segment& segment : b.Segs) {
      nearest = std::min(nearest, DistanceToSegment(segment, p.x, p.y));
    }
    if (!(nearest < kEps)) return false;
  }
  return true;
}

// A joint of a straight or circular run that lies closer than this to the run's line or circle
// is no corner (drawing units; far below the 1e-6 at which two points are one).
constexpr double kRunJointTol = 1e-9;

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// The signed angle an arc sweeps, from its ends and centre, counterclockwise positive.
double ArcSweep(const Segment& arc) {
  const double sx = arc.StartPt.x - arc.Center.x, sy = arc.StartPt.y - arc.Center.y;
  const double ex = arc.EndPt.x - arc.Center.x, ey = arc.EndPt.y - arc.Center.y;
  double sweep = std::atan2(Cross(sx, sy, ex, ey), sx * ex + sy * ey);
  if (arc.Direction == 1 && sweep <= 0.0) sweep += kTwoPi;
  if (arc.Direction != 1 && sweep >= 0.0) sweep -= kTwoPi;
  return sweep;
}

}  // namespace

void JoinRuns(Contour& contour) {
  std::vector<Segment> joined;
  joined.reserve(contour.Segs.size());
  double ux = 0.0, uy = 0.0;  // unit direction of the current straight run
  double runSweep = 0.0;      // sweep of the current circular run
  for (const Segment& next : contour.Segs) {
    if (!joined.empty()) {
      Segment& run = joined.back();
      if (run.IsLine() && next.IsLine()) {
        const double dx = next.EndPt.x - run.StartPt.x, dy = next.EndPt.y - run.StartPt.y;
        const double nx = next.EndPt.x - next.StartPt.x, ny = next.EndPt.y - next.StartPt.y;
        if (std::fabs(Cross(ux, uy, dx, dy)) < kRunJointTol && ux * nx + uy * ny > 0.0) {
          run.EndPt = next.EndPt;
          RefreshLine(run);
          continue;
        }
      } else if (run.IsArc() && next.IsArc() && run.Direction == next.Direction &&
                 std::hypot(run.Center.x - next.Center.x, run.Center.y - next.Center.y) <
                     kRunJointTol &&
                 std::fabs(run.Radius - next.Radius) < kRunJointTol) {
        const double sweep = runSweep + ArcSweep(next);
        if (std::fabs(sweep) < kPi) {
          run.EndPt = next.EndPt;
          run.Length += next.Length;
          RecomputeArc(run);
          runSweep = sweep;
          continue;
        }
      }
    }
    joined.push_back(next);
    const double lx = next.EndPt.x - next.StartPt.x, ly = next.EndPt.y - next.StartPt.y;
    const double length = std::hypot(lx, ly);
    if (next.IsLine() && length > 0.0) {
      ux = lx / length;
      uy = ly / length;
    } else {
      ux = uy = 0.0;  // no direction: the next line starts a run of its own
    }
    runSweep = next.IsArc() ? ArcSweep(next) : 0.0;
  }
  contour.Segs = std::move(joined);
}

bool SameShape(const Contour& a, const Contour& b) {
  if (a.Empty() || b.Empty()) return a.Empty() && b.Empty();
  return SamePoint(a.First().StartPt, b.First().StartPt) &&
         SamePoint(a.Last().EndPt, b.Last().EndPt) && LiesAlong(a, b) && LiesAlong(b, a);
}

}  // namespace sulkor
