// Segments for the tests of the geometry services, built by hand so that the tests of the
// services do not lean on the segment builders they are meant to serve.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "geometry/records.h"

namespace sulkor::testing {

inline Segment TestLine(double x1, double y1, double x2, double y2) {
  Segment s;
  s.Kind = SegmentKind::Line;
  s.StartPt = {x1, y1, 0.0};
  s.EndPt = {x2, y2, 0.0};
  s.Length = std::hypot(x2 - x1, y2 - y1);
  return s;
}

// An arc around (cx, cy) from angle a0 turning by sweep (radians, positive counterclockwise,
// negative clockwise). The end points are computed from the angles.
inline Segment TestArc(double cx, double cy, double r, double a0, double sweep) {
  Segment s;
  s.Kind = SegmentKind::Arc;
  s.Center = {cx, cy, 0.0};
  s.Radius = r;
  s.Direction = sweep >= 0.0 ? 1 : -1;
  s.StartPt = {cx + r * std::cos(a0), cy + r * std::sin(a0), 0.0};
  s.EndPt = {cx + r * std::cos(a0 + sweep), cy + r * std::sin(a0 + sweep), 0.0};
  s.MidPt = {cx + r * std::cos(a0 + sweep / 2), cy + r * std::sin(a0 + sweep / 2), 0.0};
  s.Length = r * std::fabs(sweep);
  return s;
}

// The same with exact end points given (they must lie on the circle).
inline Segment TestArcPts(double sx, double sy, double ex, double ey, double cx, double cy,
                          int16_t direction) {
  Segment s;
  s.Kind = SegmentKind::Arc;
  s.Center = {cx, cy, 0.0};
  s.Radius = std::hypot(sx - cx, sy - cy);
  s.Direction = direction;
  s.StartPt = {sx, sy, 0.0};
  s.EndPt = {ex, ey, 0.0};
  double sweep = direction * (std::atan2(ey - cy, ex - cx) - std::atan2(sy - cy, sx - cx));
  while (sweep <= 0.0) sweep += 2.0 * std::numbers::pi;
  s.Length = s.Radius * sweep;
  return s;
}

inline Segment TestCircle(double cx, double cy, double r) {
  Segment s;
  s.Kind = SegmentKind::Circle;
  s.Center = {cx, cy, 0.0};
  s.Radius = r;
  s.StartPt = {cx + r, cy, 0.0};
  s.EndPt = s.StartPt;
  s.Length = 2.0 * std::numbers::pi * r;
  return s;
}

inline Contour TestContour(std::vector<Segment> segs) {
  Contour c;
  c.Segs = std::move(segs);
  return c;
}

// A closed polygon through (x0, y0, x1, y1, ...).
inline Contour TestPolygon(const std::vector<double>& xy) {
  Contour c;
  const size_t n = xy.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    c.Segs.push_back(TestLine(xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1]));
  }
  return c;
}

}  // namespace sulkor::testing
