#include "contour/segment_build.h"

#include <cmath>
#include <cstddef>
#include <utility>

#include "contour/primitives.h"
#include "sulkor/error.h"

namespace sulkor {

namespace {

// Arcs and circles: tangents, mid point, span sign; the length from the sweep.
void RefreshCurve(Segment& curve) {
  const Point3& s = curve.StartPt;
  const Point3& e = curve.EndPt;
  const Point3& c = curve.Center;
  ArcEndTangents(s.x, s.y, e.x, e.y, c.x, c.y, curve.Radius, curve.Direction, curve.Tangent[0],
                 curve.Tangent[1]);
  ArcMidPoint(c.x, c.y, s.x, s.y, e.x, e.y, curve.Radius, curve.Direction, curve.MidPt.x,
              curve.MidPt.y);
  curve.SpanSign = SideOfChord(s.x, s.y, e.x, e.y, curve.MidPt.x, curve.MidPt.y,
                               curve.Direction);
  curve.Length = curve.IsCircle() ? kTwoPi * std::abs(curve.Radius)
                                  : std::abs(curve.Radius) * ArcSweep(curve);
}

}  // namespace

void RefreshLine(Segment& line) {
  double length = 0.0;
  double angle = 0.0;
  LineLengthAngle(line.StartPt.x, line.StartPt.y, line.EndPt.x, line.EndPt.y, length, angle);
  line.Length = length;
  line.Tangent[0] = angle;
  line.Tangent[1] = angle;
}


void RefreshSegment(Segment& segment) {
  switch (segment.Kind) {
    case SegmentKind::Line: RefreshLine(segment); break;
    case SegmentKind::Arc:
    case SegmentKind::Circle: RefreshCurve(segment); break;
    case SegmentKind::None: break;
  }
}

void RefreshArcMidAndTangents(Segment& arc) {
  double mx = 0.0;
  double my = 0.0;
  ArcMidPoint(arc.Center.x, arc.Center.y, arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y,
              arc.Radius, arc.Direction, mx, my);
  arc.MidPt.x = mx;
  arc.MidPt.y = my;
  RefreshArcTangents(arc);
}

void RefreshArcTangents(Segment& arc) {
  ArcEndTangents(arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y, arc.Center.x,
                 arc.Center.y, arc.Radius, arc.Direction, arc.Tangent[0], arc.Tangent[1]);
}

void RefreshMovedSegment(Segment& segment) {
  if (segment.IsLine()) {
    RefreshLine(segment);
  } else {
    RefreshArcMidAndTangents(segment);
  }
}

Segment MakeLine(double x1, double y1, double x2, double y2) {
  Segment line;
  line.Kind = SegmentKind::Line;
  line.StartPt = {x1, y1, 0.0};
  line.EndPt = {x2, y2, 0.0};
  RefreshLine(line);
  return line;
}

Segment MakeArc(double sx, double sy, double ex, double ey, double cx, double cy,
                int16_t direction) {
  Segment arc;
  arc.Kind = SegmentKind::Arc;
  arc.StartPt = {sx, sy, 0.0};
  arc.EndPt = {ex, ey, 0.0};
  arc.Center = {cx, cy, 0.0};
  arc.Radius = std::hypot(sx - cx, sy - cy);
  arc.Direction = direction;
  RefreshCurve(arc);
  return arc;
}

Segment MakeCircle(double cx, double cy, double radius) {
  // A circle starts and ends at the point on its positive x side and runs counterclockwise.
  const double r = std::abs(radius);
  Segment circle;
  circle.Kind = SegmentKind::Circle;
  circle.StartPt = {cx + r, cy, 0.0};
  circle.EndPt = circle.StartPt;
  circle.Center = {cx, cy, 0.0};
  circle.Radius = r;
  circle.Direction = 1;
  RefreshCurve(circle);
  return circle;
}

Contour MakeContour(std::vector<Segment> segments) {
  Contour contour;
  contour.Segs = std::move(segments);
  return contour;
}

Contour MakePolyline(const std::vector<double>& xy) {
  if (xy.size() % 2 != 0) throw GeometryError("a polygon needs pairs of coordinates");
  const size_t n = xy.size() / 2;
  std::vector<Segment> segments;
  if (n < 2) return MakeContour(std::move(segments));
  segments.reserve(n);
  for (size_t i = 0; i + 1 < n; ++i) {
    segments.push_back(MakeLine(xy[2 * i], xy[2 * i + 1], xy[2 * i + 2], xy[2 * i + 3]));
  }
  return MakeContour(std::move(segments));
}

Contour MakePolygon(const std::vector<double>& xy) {
  Contour polygon = MakePolyline(xy);
  if (polygon.Empty()) return polygon;
  // Close back to the first point unless the list already repeats it.
  const Point3 first{xy[0], xy[1], 0.0};
  const Point3 last{xy[xy.size() - 2], xy[xy.size() - 1], 0.0};
  if (!SamePoint(first, last)) polygon.Segs.push_back(MakeLine(last.x, last.y, first.x, first.y));
  return polygon;
}

}  // namespace sulkor
