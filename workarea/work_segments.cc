#include "workarea/work_segments.h"

#include <cmath>
#include <vector>

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

namespace {

// One piece of a contour's path: a straight run or a run along one circle.
struct PathPiece {
  bool straight = true;
  Point3 start;
  Point3 end;
  Point3 center;
  double radius = 0.0;
  int16_t direction = 1;
};

// True when mid lies within 1e-6 of the chord a -> b, strictly between its ends.
bool ContinuesStraight(const Point3& a, const Point3& mid, const Point3& b) {
  const double length = std::hypot(b.x - a.x, b.y - a.y);
  if (length < kEps) return false;
  const double ux = (b.x - a.x) / length;
  const double uy = (b.y - a.y) / length;
  const double off = (mid.y - a.y) * ux - (mid.x - a.x) * uy;
  const double along = (mid.x - a.x) * ux + (mid.y - a.y) * uy;
  return std::abs(off) < kEps && along > 0.0 && along < length;
}

std::vector<PathPiece> PathOf(const Contour& contour) {
  std::vector<PathPiece> pieces;
  for (const Segment& segment : contour.Segs) {
    const double chord = std::hypot(segment.EndPt.x - segment.StartPt.x,
                                    segment.EndPt.y - segment.StartPt.y);
    if (segment.IsLine() && chord < kEps) continue;
    PathPiece piece;
    piece.straight = segment.IsLine();
    piece.start = segment.StartPt;
    piece.end = segment.EndPt;
    piece.center = segment.Center;
    piece.radius = segment.Radius;
    piece.direction = segment.Direction;
    if (!pieces.empty()) {
      PathPiece& previous = pieces.back();
      if (piece.straight && previous.straight &&
          ContinuesStraight(previous.start, previous.end, piece.end)) {
        previous.end = piece.end;
        continue;
      }
      if (!piece.straight && !previous.straight && SamePoint(piece.center, previous.center) &&
          std::abs(piece.radius - previous.radius) < kEps &&
          piece.direction == previous.direction && !SamePoint(previous.start, piece.end)) {
        previous.end = piece.end;
        continue;
      }
    }
    pieces.push_back(piece);
  }
  return pieces;
}

}  // namespace

bool SameShape(const Contour& a, const Contour& b) {
  const std::vector<PathPiece> first = PathOf(a);
  const std::vector<PathPiece> second = PathOf(b);
  if (first.size() != second.size()) return false;
  for (size_t i = 0; i < first.size(); ++i) {
    const PathPiece& p = first[i];
    const PathPiece& q = second[i];
    if (p.straight != q.straight || !SamePoint(p.start, q.start) || !SamePoint(p.end, q.end)) {
      return false;
    }
    if (!p.straight && (p.direction != q.direction || !SamePoint(p.center, q.center) ||
                        std::abs(p.radius - q.radius) >= kEps)) {
      return false;
    }
  }
  return true;
}

}  // namespace sulkor
