#include "workarea/work_segments.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "contour/tolerances.h"

namespace sulkor {

void SetXY(Point3& point, double x, double y) {
  point.x = x;
  point.y = y;
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
  const double turn = segment.Direction == 1 ? 1.0 : -1.0;
  const double sweep = segment.IsCircle() ? kTwoPi : ArcSweep(segment);
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
        const double sweep = runSweep + SignedArcSweep(next);
        if (std::fabs(sweep) < kPi) {
          run.EndPt = next.EndPt;
          run.Length += next.Length;
          RefreshArcMidAndTangents(run);
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
    runSweep = next.IsArc() ? SignedArcSweep(next) : 0.0;
  }
  contour.Segs = std::move(joined);
}

bool SameShape(const Contour& a, const Contour& b) {
  if (a.Empty() || b.Empty()) return a.Empty() && b.Empty();
  return SamePoint(a.First().StartPt, b.First().StartPt) &&
         SamePoint(a.Last().EndPt, b.Last().EndPt) && LiesAlong(a, b) && LiesAlong(b, a);
}

}  // namespace sulkor
