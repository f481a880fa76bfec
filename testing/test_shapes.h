// Test support for the geometry services: generated contours of lines and arcs, their
// densification into Boost.Geometry polygons and lines, and distances and areas computed from
// the segment records alone (independently of the services' own curve code).
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

// Boost.Geometry still includes headers that Boost has deprecated; their notes say nothing
// about this code. GCC's flow analysis flags its buffer internals as maybe uninitialized.
#ifndef BOOST_ALLOW_DEPRECATED_HEADERS
#define BOOST_ALLOW_DEPRECATED_HEADERS
#endif
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#pragma GCC diagnostic pop

#include "contour/records.h"
#include "contour/segment_build.h"

namespace sulkor::testing_shapes {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint, false>;  // counterclockwise, closed
using BMulti = bg::model::multi_polygon<BPolygon>;
using BLine = bg::model::linestring<BPoint>;

inline constexpr double kPi = std::numbers::pi;

// An arc around (cx, cy) from angle a0 turning by sweep (counterclockwise when positive).
inline Segment AngleArc(double cx, double cy, double r, double a0, double sweep) {
  const double sx = cx + r * std::cos(a0), sy = cy + r * std::sin(a0);
  const bool full = std::fabs(std::fabs(sweep) - 2 * kPi) < 1e-12;  // ends exactly equal
  return MakeArc(sx, sy, full ? sx : cx + r * std::cos(a0 + sweep),
                 full ? sy : cy + r * std::sin(a0 + sweep), cx, cy,
                 static_cast<int16_t>(sweep > 0 ? 1 : -1));
}

// The signed sweep of an arc segment from its fields alone (a full turn for equal ends).
inline double ArcSweep(const Segment& s) {
  if (s.IsCircle()) return 2 * kPi * s.Direction;
  const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
  const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
  double span = std::fmod(s.Direction == 1 ? a1 - a0 : a0 - a1, 2 * kPi);
  if (span <= 0.0) span += 2 * kPi;
  if (std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y) < 1e-12) span = 2 * kPi;
  return s.Direction == 1 ? span : -span;
}

inline double RadiusOf(const Segment& s) {
  return std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
}

// The point at fraction t along a segment.
inline std::pair<double, double> SegmentPoint(const Segment& s, double t) {
  if (s.IsArc() || s.IsCircle()) {
    const double a =
        std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x) + ArcSweep(s) * t;
    return {s.Center.x + RadiusOf(s) * std::cos(a), s.Center.y + RadiusOf(s) * std::sin(a)};
  }
  return {s.StartPt.x + t * (s.EndPt.x - s.StartPt.x), s.StartPt.y + t * (s.EndPt.y - s.StartPt.y)};
}

// Points along the contour, every segment's start and, along arcs, points no farther than sag
// from them; a closed contour's start is not repeated, an open one ends with its end.
inline std::vector<std::pair<double, double>> Densify(const Contour& c, double sag, bool closed) {
  std::vector<std::pair<double, double>> pts;
  for (const Segment& s : c.Segs) {
    int n = 1;
    if (s.IsArc() || s.IsCircle()) {
      const double step = 2.0 * std::acos(std::max(0.0, 1.0 - sag / RadiusOf(s)));
      n = std::max(1, static_cast<int>(std::ceil(std::fabs(ArcSweep(s)) / step)));
    }
    for (int k = 0; k < n; ++k) pts.push_back(SegmentPoint(s, static_cast<double>(k) / n));
  }
  if (!closed) pts.emplace_back(c.Segs.back().EndPt.x, c.Segs.back().EndPt.y);
  return pts;
}

inline BPolygon ToPolygon(const Contour& c, double sag) {
  BPolygon poly;
  for (const auto& [x, y] : Densify(c, sag, true)) bg::append(poly.outer(), BPoint(x, y));
  bg::correct(poly);
  return poly;
}

inline BLine ToLine(const Contour& c, double sag) {
  BLine line;
  for (const auto& [x, y] : Densify(c, sag, false)) bg::append(line, BPoint(x, y));
  return line;
}

// Exact signed area of a closed contour (Green's theorem over lines and arcs), measured from its
// first point.
inline double ExactArea(const Contour& c) {
  const double ox = c.Segs.front().StartPt.x, oy = c.Segs.front().StartPt.y;
  double a = 0.0;
  for (const Segment& s : c.Segs) {
    a += 0.5 * ((s.StartPt.x - ox) * (s.EndPt.y - oy) - (s.EndPt.x - ox) * (s.StartPt.y - oy));
    if (s.IsArc() || s.IsCircle()) {
      const double sweep = ArcSweep(s);
      a += 0.5 * RadiusOf(s) * RadiusOf(s) * (sweep - std::sin(sweep));
    }
  }
  return a;
}

inline double ExactLength(const Contour& c) {
  double len = 0.0;
  for (const Segment& s : c.Segs) {
    len += s.IsLine() ? std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y)
                      : RadiusOf(s) * std::fabs(ArcSweep(s));
  }
  return len;
}

// Exact distance from a point to a segment.
inline double SegmentDistance(const Segment& s, double x, double y) {
  const double ends = std::min(std::hypot(x - s.StartPt.x, y - s.StartPt.y),
                               std::hypot(x - s.EndPt.x, y - s.EndPt.y));
  if (s.IsArc() || s.IsCircle()) {
    const double sweep = ArcSweep(s);
    const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
    double rel = std::fmod((sweep < 0 ? -1 : 1) * (std::atan2(y - s.Center.y, x - s.Center.x) - a0),
                           2 * kPi);
    if (rel < 0.0) rel += 2 * kPi;
    if (rel > std::fabs(sweep)) return ends;
    return std::fabs(std::hypot(x - s.Center.x, y - s.Center.y) - RadiusOf(s));
  }
  const double dx = s.EndPt.x - s.StartPt.x, dy = s.EndPt.y - s.StartPt.y;
  const double len2 = dx * dx + dy * dy;
  if (len2 == 0.0) return ends;
  const double t = std::clamp(((x - s.StartPt.x) * dx + (y - s.StartPt.y) * dy) / len2, 0.0, 1.0);
  return std::hypot(x - s.StartPt.x - t * dx, y - s.StartPt.y - t * dy);
}

inline double ContourDistance(const Contour& c, double x, double y) {
  double best = 1e300;
  for (const Segment& s : c.Segs) best = std::min(best, SegmentDistance(s, x, y));
  return best;
}

inline Contour Moved(const Contour& c, double dx, double dy) {
  Contour m = c;
  for (Segment& s : m.Segs) {
    for (Point3* p : {&s.StartPt, &s.EndPt, &s.Center, &s.MidPt}) *p = {p->x + dx, p->y + dy, 0};
  }
  return m;
}

// The same contour run the other way.
inline Contour Reverse(const Contour& c) {
  Contour r = c;
  r.Segs.clear();
  for (auto it = c.Segs.rbegin(); it != c.Segs.rend(); ++it) {
    Segment s = *it;
    const auto direction = static_cast<int16_t>(-s.Direction);
    if (s.IsCircle()) {
      s.Direction = direction;
    } else if (s.IsArc()) {
      s = MakeArc(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y, s.Center.x, s.Center.y,
                  direction);
    } else {
      s = MakeLine(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y);
    }
    r.Segs.push_back(s);
  }
  return r;
}

// A polygon through the points (x0, y0, x1, y1, ...) whose corner k gets a tangent fillet of
// radius radii[k] (0: sharp). Radii must fit the edges.
inline Contour FilletedPolygon(const std::vector<double>& xy, const std::vector<double>& radii) {
  const size_t n = xy.size() / 2;
  std::vector<double> inX(n), inY(n), outX(n), outY(n), cx(n), cy(n), turn(n);
  for (size_t k = 0; k < n; ++k) {
    const size_t p = (k + n - 1) % n, q = (k + 1) % n;
    const double vx = xy[2 * k], vy = xy[2 * k + 1];
    const double lu = std::hypot(vx - xy[2 * p], vy - xy[2 * p + 1]);
    const double lw = std::hypot(xy[2 * q] - vx, xy[2 * q + 1] - vy);
    const double ux = (vx - xy[2 * p]) / lu, uy = (vy - xy[2 * p + 1]) / lu;
    const double wx = (xy[2 * q] - vx) / lw, wy = (xy[2 * q + 1] - vy) / lw;
    const double half = 0.5 * std::acos(std::clamp(ux * wx + uy * wy, -1.0, 1.0));
    const double back = radii[k] * std::tan(half);
    turn[k] = ux * wy - uy * wx > 0.0 ? 1.0 : -1.0;  // the centre lies inside the turn
    inX[k] = vx - back * ux;
    inY[k] = vy - back * uy;
    outX[k] = vx + back * wx;
    outY[k] = vy + back * wy;
    cx[k] = inX[k] - turn[k] * radii[k] * uy;
    cy[k] = inY[k] + turn[k] * radii[k] * ux;
  }
  Contour c;
  for (size_t k = 0; k < n; ++k) {
    if (radii[k] > 0.0) {
      c.Segs.push_back(MakeArc(inX[k], inY[k], outX[k], outY[k], cx[k], cy[k],
                               static_cast<int16_t>(turn[k])));
    }
    c.Segs.push_back(MakeLine(outX[k], outY[k], inX[(k + 1) % n], inY[(k + 1) % n]));
  }
  return c;
}

// Vertices around (cx, cy) in order of angle at distances rmin to rmax, each edge a line or (two
// times in five) an arc of random sweep either way; closed or open (no last edge).
inline Contour StarContour(std::mt19937& rng, double cx, double cy, double rmin, double rmax,
                           int n, bool closed = true) {
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<double> angles(static_cast<size_t>(n));
  for (double& a : angles) a = 2 * kPi * u(rng);
  std::sort(angles.begin(), angles.end());
  std::vector<std::pair<double, double>> v;
  for (double a : angles) {
    const double r = rmin + (rmax - rmin) * u(rng);
    v.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
  }
  Contour c;
  for (int k = 0; k < (closed ? n : n - 1); ++k) {
    const auto [x1, y1] = v[static_cast<size_t>(k)];
    const auto [x2, y2] = v[static_cast<size_t>((k + 1) % n)];
    const double len = std::hypot(x2 - x1, y2 - y1);
    if (len < 1e-3 || u(rng) >= 0.4) {
      c.Segs.push_back(MakeLine(x1, y1, x2, y2));
      continue;
    }
    const double phi = (0.2 + 2.3 * u(rng)) * (u(rng) < 0.5 ? -1 : 1);
    const double h = (len / 2) / std::tan(phi / 2);  // centre from the chord's middle
    c.Segs.push_back(MakeArc(x1, y1, x2, y2, (x1 + x2) / 2 - h * (y2 - y1) / len,
                             (y1 + y2) / 2 + h * (x2 - x1) / len,
                             static_cast<int16_t>(phi > 0 ? 1 : -1)));
  }
  return c;
}

// An open chain running to +x: lines and arcs (bulging up to 0.3 chords either way) between
// points at random heights.
inline Contour RisingChain(std::mt19937& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  Contour c;
  double x = 0.0, y = 5.0 * u(rng);
  for (int i = 2 + static_cast<int>(u(rng) * 10.0); i > 0; --i) {
    const double nx = x + 0.3 + 2.0 * u(rng), ny = 5.0 * u(rng), len = std::hypot(nx - x, ny - y);
    const double bulge = (u(rng) - 0.5) * 0.6 * len;
    if (u(rng) < 0.4 && std::fabs(bulge) > 1e-3) {
      const double r = (bulge * bulge + len * len / 4) / (2 * std::fabs(bulge));
      const double off = (r - std::fabs(bulge)) * (bulge > 0 ? -1 : 1) / len;  // centre: right
      c.Segs.push_back(MakeArc(x, y, nx, ny, (x + nx) / 2 + off * (ny - y), (y + ny) / 2 - off * (nx - x),
                               static_cast<int16_t>(bulge > 0 ? -1 : 1)));
    } else {
      c.Segs.push_back(MakeLine(x, y, nx, ny));
    }
    x = nx;
    y = ny;
  }
  return c;
}

// A lathe-like profile on a 0.5 grid: a skyline of steps over a base line, counterclockwise,
// with some corners rounded. Two of them often share walls and vertices.
inline Contour SkylineContour(std::mt19937& rng, double x0, double y0) {
  std::uniform_int_distribution<int> steps(1, 5), width(1, 6), height(1, 10);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const int k = steps(rng);
  std::vector<double> xs{x0}, hs;
  for (int i = 0; i < k; ++i) {
    xs.push_back(xs.back() + 0.5 * width(rng));
    hs.push_back(0.5 * height(rng));
  }
  std::vector<double> xy{x0, y0, xs.back(), y0};
  for (size_t i = hs.size(); i-- > 0;) {
    if (i + 1 == hs.size() || hs[i] != hs[i + 1]) xy.insert(xy.end(), {xs[i + 1], y0 + hs[i]});
    if (i == 0 || hs[i] != hs[i - 1]) xy.insert(xy.end(), {xs[i], y0 + hs[i]});
  }
  std::vector<double> radii(xy.size() / 2, 0.0);
  for (double& r : radii) r = u(rng) < 0.5 ? 0.05 + 0.15 * u(rng) : 0.0;
  return FilletedPolygon(xy, radii);
}

}  // namespace sulkor::testing_shapes
