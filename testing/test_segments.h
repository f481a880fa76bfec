// Segments for the tests of the geometry services, built by hand so that the tests of the
// services do not lean on the segment builders they are meant to serve.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <utility>
#include <vector>
#include <algorithm>

#include "contour/records.h"

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

// Random contours for property tests: vertices around a centre in order of angle, each edge a
// line or (two times in five) an arc of random sweep between its vertices. The parameters of
// each arc are kept beside the contour so that a reference can work from them.
struct ArcParams {
  bool arc = false;
  double cx = 0, cy = 0, r = 0, a0 = 0, sweep = 0;
};

inline double AngleInSweep(const ArcParams& p, double x, double y) {
  double t = (p.sweep > 0 ? 1 : -1) * (std::atan2(y - p.cy, x - p.cx) - p.a0);
  t = std::fmod(t, 2 * std::numbers::pi);
  if (t < 0) t += 2 * std::numbers::pi;
  return t;
}

struct RandomContour {
  Contour contour;
  std::vector<ArcParams> params;
};

inline RandomContour MakeRandomContour(std::mt19937& rng, int n, bool closed) {
  std::uniform_real_distribution<double> unit(0, 1);
  RandomContour rc;
  const double cx = 20 * unit(rng), cy = 20 * unit(rng);
  std::vector<double> angles(static_cast<size_t>(n));
  for (double& a : angles) a = 2 * std::numbers::pi * unit(rng);
  std::sort(angles.begin(), angles.end());
  std::vector<std::pair<double, double>> v;
  for (double a : angles) {
    const double rad = 5 + 10 * unit(rng);
    v.push_back({cx + rad * std::cos(a), cy + rad * std::sin(a)});
  }
  const int edges = closed ? n : n - 1;
  for (int k = 0; k < edges; ++k) {
    const auto [x1, y1] = v[static_cast<size_t>(k)];
    const auto [x2, y2] = v[static_cast<size_t>((k + 1) % n)];
    ArcParams p;
    if (unit(rng) < 0.4) {
      const double phi = (0.2 + 2.3 * unit(rng)) * (unit(rng) < 0.5 ? -1 : 1);
      const double L = std::hypot(x2 - x1, y2 - y1);
      const double h = (L / 2) / std::tan(phi / 2);
      const double nx = -(y2 - y1) / L, ny = (x2 - x1) / L;
      p = {true, (x1 + x2) / 2 + nx * h, (y1 + y2) / 2 + ny * h, 0, 0, phi};
      p.r = std::hypot(x1 - p.cx, y1 - p.cy);
      p.a0 = std::atan2(y1 - p.cy, x1 - p.cx);
      rc.contour.Segs.push_back(TestArcPts(x1, y1, x2, y2, p.cx, p.cy, phi > 0 ? 1 : -1));
    } else {
      rc.contour.Segs.push_back(TestLine(x1, y1, x2, y2));
    }
    rc.params.push_back(p);
  }
  return rc;
}

}  // namespace sulkor::testing
