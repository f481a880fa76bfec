#include "workarea/work_segments.h"

#include <cmath>

#include "geometry/primitives.h"
#include "geometry/tolerances.h"

namespace sulkor {

bool SamePoint(double x1, double y1, double x2, double y2) {
  return std::abs(x1 - x2) < kEps && std::abs(y1 - y2) < kEps;
}

bool SamePoint(const Point3& a, const Point3& b) { return SamePoint(a.x, a.y, b.x, b.y); }

void SetXY(Point3& point, double x, double y) {
  point.x = x;
  point.y = y;
}

void RecomputeLine(Segment& line) {
  double length = 0.0;
  double angle = 0.0;
  LineLengthAngle(line.StartPt.x, line.StartPt.y, line.EndPt.x, line.EndPt.y, length, angle);
  line.Length = length;
  line.Tangent[0] = angle;
  line.Tangent[1] = angle;
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
    RecomputeLine(segment);
  } else {
    RecomputeArc(segment);
  }
}

Segment NewLine(double x1, double y1, double x2, double y2) {
  Segment line;
  line.Kind = SegmentKind::Line;
  SetXY(line.StartPt, x1, y1);
  SetXY(line.EndPt, x2, y2);
  RecomputeLine(line);
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

bool SameContour(const Contour& a, const Contour& b) {
  if (a.Count() != b.Count()) return false;
  for (int32_t i = 0; i < a.Count(); ++i) {
    const Segment& s = a.Seg(i);
    const Segment& t = b.Seg(i);
    if (s.Kind != t.Kind || !SamePoint(s.StartPt, t.StartPt) || !SamePoint(s.EndPt, t.EndPt)) {
      return false;
    }
    if (!s.IsLine()) {
      if (s.Direction != t.Direction || !SamePoint(s.Center, t.Center) ||
          std::abs(s.Radius - t.Radius) >= kEps) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace sulkor
