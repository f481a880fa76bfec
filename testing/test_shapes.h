// Test support for the offset and combination services: generated contours with arcs, their
// densification into polygons for Boost.Geometry, and distances computed straight from the
// segment records (independently of the services' own curve code).
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

// Boost.Geometry still includes headers that Boost has deprecated; their notes say nothing
// about this code.
#ifndef BOOST_ALLOW_DEPRECATED_HEADERS
#define BOOST_ALLOW_DEPRECATED_HEADERS
#endif
// GCC's flow analysis flags Boost.Geometry's buffer internals as maybe uninitialized.
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

// The signed sweep of an arc segment, from its fields alone (a full turn for equal ends).
inline double ArcSweep(const Segment& s) {
  const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
  const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
  double span = s.Direction == 1 ? a1 - a0 : a0 - a1;
  while (span < 0.0) span += 2.0 * kPi;
  while (span >= 2.0 * kPi) span -= 2.0 * kPi;
  if (std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y) < 1e-12) span = 2.0 * kPi;
  return s.Direction == 1 ? span : -span;
}

// Points along the segment (its start included, its end left out), no farther than `sag` from
// the arc they stand for.
inline void AppendSegmentPoints(const Segment& s, double sag, std::vector<std::pair<double, double>>& out) {
  if (!s.IsArc()) {
    out.emplace_back(s.StartPt.x, s.StartPt.y);
    return;
  }
  const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
  const double sweep = ArcSweep(s);
  const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
  const double step = 2.0 * std::acos(std::max(0.0, 1.0 - sag / r));
  const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
  out.emplace_back(s.StartPt.x, s.StartPt.y);
  for (int k = 1; k < n; ++k) {
    const double a = a0 + sweep * k / n;
    out.emplace_back(s.Center.x + r * std::cos(a), s.Center.y + r * std::sin(a));
  }
}

inline std::vector<std::pair<double, double>> Densify(const Contour& c, double sag) {
  std::vector<std::pair<double, double>> pts;
  for (const Segment& s : c.Segs) AppendSegmentPoints(s, sag, pts);
  return pts;
}

// Signed shoelace area of the densified contour.
inline double DensifiedArea(const Contour& c, double sag) {
  const auto pts = Densify(c, sag);
  double a = 0.0;
  for (size_t i = 0; i < pts.size(); ++i) {
    const auto& p = pts[i];
    const auto& q = pts[(i + 1) % pts.size()];
    a += p.first * q.second - q.first * p.second;
  }
  return 0.5 * a;
}

inline BPolygon ToPolygon(const Contour& c, double sag) {
  BPolygon poly;
  for (const auto& [x, y] : Densify(c, sag)) bg::append(poly.outer(), BPoint(x, y));
  bg::correct(poly);
  return poly;
}

inline BLine ToLine(const Contour& c, double sag) {
  BLine line;
  for (const auto& [x, y] : Densify(c, sag)) bg::append(line, BPoint(x, y));
  const Segment& last = c.Segs.back();
  bg::append(line, BPoint(last.EndPt.x, last.EndPt.y));
  return line;
}

inline double ArcLengthOf(const Contour& c) {
  double len = 0.0;
  for (const Segment& s : c.Segs) {
    if (s.IsArc()) {
      len += std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y) *
             std::fabs(ArcSweep(s));
    }
  }
  return len;
}

// Exact distance from a point to a segment, from the segment's fields.
inline double SegmentDistance(const Segment& s, double x, double y) {
  const double ds = std::hypot(x - s.StartPt.x, y - s.StartPt.y);
  const double de = std::hypot(x - s.EndPt.x, y - s.EndPt.y);
  if (s.IsArc()) {
    const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
    const double sweep = ArcSweep(s);
    const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
    double rel = std::atan2(y - s.Center.y, x - s.Center.x) - a0;
    if (sweep < 0.0) rel = -rel;
    while (rel < 0.0) rel += 2.0 * kPi;
    while (rel >= 2.0 * kPi) rel -= 2.0 * kPi;
    if (rel <= std::fabs(sweep)) return std::fabs(std::hypot(x - s.Center.x, y - s.Center.y) - r);
    return std::min(ds, de);
  }
  const double dx = s.EndPt.x - s.StartPt.x, dy = s.EndPt.y - s.StartPt.y;
  const double len2 = dx * dx + dy * dy;
  if (len2 == 0.0) return ds;
  const double t = std::clamp(((x - s.StartPt.x) * dx + (y - s.StartPt.y) * dy) / len2, 0.0, 1.0);
  return std::hypot(x - s.StartPt.x - t * dx, y - s.StartPt.y - t * dy);
}

inline double ContourDistance(const Contour& c, double x, double y) {
  double best = 1e300;
  for (const Segment& s : c.Segs) best = std::min(best, SegmentDistance(s, x, y));
  return best;
}

// Points at fractions along a segment.
inline std::pair<double, double> SegmentPoint(const Segment& s, double t) {
  if (s.IsArc()) {
    const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
    const double a = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x) + ArcSweep(s) * t;
    return {s.Center.x + r * std::cos(a), s.Center.y + r * std::sin(a)};
  }
  return {s.StartPt.x + t * (s.EndPt.x - s.StartPt.x), s.StartPt.y + t * (s.EndPt.y - s.StartPt.y)};
}

// The same contour run the other way.
inline Contour Reverse(const Contour& c) {
  Contour r = c;
  r.Segs.clear();
  for (auto it = c.Segs.rbegin(); it != c.Segs.rend(); ++it) {
    const Segment& s = *it;
    if (s.IsCircle()) {
      Segment turned = s;
      turned.Direction = static_cast<int16_t>(-s.Direction);
      r.Segs.push_back(turned);
    } else if (s.IsArc()) {
      r.Segs.push_back(MakeArc(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y, s.Center.x,
                               s.Center.y, static_cast<int16_t>(-s.Direction)));
    } else {
      r.Segs.push_back(MakeLine(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y));
    }
  }
  return r;
}

// The arc from p to q that bulges by h to the left of the chord (to the right for h < 0).
inline Segment BulgeArc(double px, double py, double qx, double qy, double h) {
  const double cx = qx - px, cy = qy - py;
  const double c = std::hypot(cx, cy);
  const double nx = -cy / c, ny = cx / c;  // left normal
  const double half = 0.5 * c;
  const double ah = std::fabs(h);
  const double r = (ah * ah + half * half) / (2.0 * ah);
  const double s = h > 0.0 ? 1.0 : -1.0;
  const double mx = 0.5 * (px + qx), my = 0.5 * (py + qy);
  const double ox = mx - s * nx * (r - ah), oy = my - s * ny * (r - ah);
  return MakeArc(px, py, qx, qy, ox, oy, static_cast<int16_t>(h > 0.0 ? -1 : 1));
}

// A polygon through the points (x0, y0, x1, y1, ...) whose corner k
// gets a tangent fillet of radius radii[k] (0: sharp). Radii must fit the edges.
inline Contour FilletedPolygon(const std::vector<double>& xy, const std::vector<double>& radii) {
  const size_t n = xy.size() / 2;
  std::vector<double> inX(n), inY(n), outX(n), outY(n);
  for (size_t k = 0; k < n; ++k) {
    const size_t p = (k + n - 1) % n, q = (k + 1) % n;
    const double vx = xy[2 * k], vy = xy[2 * k + 1];
    double ux = vx - xy[2 * p], uy = vy - xy[2 * p + 1];
    double wx = xy[2 * q] - vx, wy = xy[2 * q + 1] - vy;
    const double lu = std::hypot(ux, uy), lw = std::hypot(wx, wy);
    ux /= lu;
    uy /= lu;
    wx /= lw;
    wy /= lw;
    const double half = 0.5 * std::acos(std::clamp(ux * wx + uy * wy, -1.0, 1.0));
    const double back = radii[k] * std::tan(half);
    inX[k] = vx - back * ux;
    inY[k] = vy - back * uy;
    outX[k] = vx + back * wx;
    outY[k] = vy + back * wy;
  }
  Contour c;
  for (size_t k = 0; k < n; ++k) {
    const size_t q = (k + 1) % n;
    if (radii[k] > 0.0) {
      const size_t p = (k + n - 1) % n;
      const double ux = xy[2 * k] - xy[2 * p], uy = xy[2 * k + 1] - xy[2 * p + 1];
      const double wx = xy[2 * q] - xy[2 * k], wy = xy[2 * q + 1] - xy[2 * k + 1];
      const double turn = ux * wy - uy * wx;
      const double len = std::hypot(ux, uy);
      // The centre lies at the radius from the trimmed point, on the inside of the turn.
      const double sgn = turn > 0.0 ? 1.0 : -1.0;
      const double cx = inX[k] - sgn * radii[k] * uy / len;
      const double cy = inY[k] + sgn * radii[k] * ux / len;
      c.Segs.push_back(MakeArc(inX[k], inY[k], outX[k], outY[k], cx, cy,
                               static_cast<int16_t>(turn > 0.0 ? 1 : -1)));
    }
    c.Segs.push_back(MakeLine(outX[k], outY[k], inX[q], inY[q]));
  }
  return c;
}

// A star-shaped contour around (cx, cy) whose edges are lines or arcs bulging either way.
inline Contour StarContour(std::mt19937& rng, double cx, double cy) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const int n = 3 + static_cast<int>(u(rng) * 10.0);
  std::vector<double> angles;
  for (int i = 0; i < n; ++i) angles.push_back(u(rng) * 2.0 * kPi);
  std::sort(angles.begin(), angles.end());
  std::vector<double> xs, ys;
  for (double a : angles) {
    const double r = 2.0 + 4.0 * u(rng);
    xs.push_back(cx + r * std::cos(a));
    ys.push_back(cy + r * std::sin(a));
  }
  Contour c;
  for (int i = 0; i < n; ++i) {
    const int j = (i + 1) % n;
    const double chord = std::hypot(xs[j] - xs[i], ys[j] - ys[i]);
    if (chord < 0.3) continue;
    if (u(rng) < 0.5) {
      c.Segs.push_back(MakeLine(xs[i], ys[i], xs[j], ys[j]));
    } else {
      const double h = (u(rng) - 0.5) * 0.5 * chord;
      if (std::fabs(h) < 0.01 * chord) {
        c.Segs.push_back(MakeLine(xs[i], ys[i], xs[j], ys[j]));
      } else {
        c.Segs.push_back(BulgeArc(xs[i], ys[i], xs[j], ys[j], h));
      }
    }
  }
  // Segments dropped for a short chord leave a gap: close it with a line.
  for (size_t i = 0; i < c.Segs.size(); ++i) {
    const Segment& s = c.Segs[i];
    const Segment& t = c.Segs[(i + 1) % c.Segs.size()];
    if (std::hypot(s.EndPt.x - t.StartPt.x, s.EndPt.y - t.StartPt.y) > 1e-12) {
      c.Segs.insert(c.Segs.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                    MakeLine(s.EndPt.x, s.EndPt.y, t.StartPt.x, t.StartPt.y));
      ++i;
    }
  }
  return c;
}

// A lathe-like profile on a 0.5 grid: a skyline of steps over a base line, counterclockwise,
// with some corners rounded. Coordinates on the grid make shared walls and vertices common when
// two of them meet.
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
  for (int i = k - 1; i >= 0; --i) {
    const double h = y0 + hs[static_cast<size_t>(i)];
    if (i == k - 1 || hs[static_cast<size_t>(i)] != hs[static_cast<size_t>(i) + 1]) {
      xy.insert(xy.end(), {xs[static_cast<size_t>(i) + 1], h});
    }
    if (i == 0 || hs[static_cast<size_t>(i)] != hs[static_cast<size_t>(i) - 1]) {
      xy.insert(xy.end(), {xs[static_cast<size_t>(i)], h});
    }
  }
  std::vector<double> radii(xy.size() / 2, 0.0);
  for (double& r : radii) {
    if (u(rng) < 0.5) r = 0.05 + 0.15 * u(rng);
  }
  return FilletedPolygon(xy, radii);
}

// An open chain running to +x: lines and arcs at random heights.
inline Contour ProfileChain(std::mt19937& rng) {
  std::uniform_real_distribution<double> u(0.0, 1.0);
  const int n = 2 + static_cast<int>(u(rng) * 10.0);
  Contour c;
  double x = 0.0, y = 5.0 * u(rng);
  for (int i = 0; i < n; ++i) {
    const double nx = x + 0.3 + 2.0 * u(rng);
    const double ny = 5.0 * u(rng);
    if (u(rng) < 0.4) {
      const double chord = std::hypot(nx - x, ny - y);
      c.Segs.push_back(BulgeArc(x, y, nx, ny, (u(rng) - 0.5) * 0.6 * chord));
    } else {
      c.Segs.push_back(MakeLine(x, y, nx, ny));
    }
    x = nx;
    y = ny;
  }
  return c;
}

inline bool IsSimpleClosed(const Contour& c, double sag) {
  return bg::is_valid(ToPolygon(c, sag));
}

// Whether the densified chain (closed: back to its start) has no two pieces that meet, other
// than neighbours at their shared point. Pieces are swept in order of their smallest x.
inline bool DensifiedSimple(const Contour& c, double sag, bool closed) {
  auto pts = Densify(c, sag);
  if (!closed) pts.emplace_back(c.Segs.back().EndPt.x, c.Segs.back().EndPt.y);
  const size_t n = closed ? pts.size() : pts.size() - 1;
  auto at = [&](size_t i) { return pts[i % pts.size()]; };
  auto orient = [](std::pair<double, double> a, std::pair<double, double> b,
                   std::pair<double, double> p) {
    const double v = (b.first - a.first) * (p.second - a.second) -
                     (b.second - a.second) * (p.first - a.first);
    return v > 0.0 ? 1 : v < 0.0 ? -1 : 0;
  };
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  auto minX = [&](size_t i) { return std::min(at(i).first, at(i + 1).first); };
  auto maxX = [&](size_t i) { return std::max(at(i).first, at(i + 1).first); };
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return minX(a) < minX(b); });
  for (size_t k = 0; k < n; ++k) {
    const size_t i = order[k];
    for (size_t l = k + 1; l < n && minX(order[l]) <= maxX(i); ++l) {
      const size_t j = order[l];
      const size_t lo = std::min(i, j), hi = std::max(i, j);
      if (hi == lo + 1 || (closed && lo == 0 && hi == n - 1)) continue;
      const auto a = at(i), b = at(i + 1), p = at(j), q = at(j + 1);
      if (orient(a, b, p) * orient(a, b, q) <= 0 && orient(p, q, a) * orient(p, q, b) <= 0) {
        const bool apart = std::max(a.second, b.second) < std::min(p.second, q.second) ||
                           std::max(p.second, q.second) < std::min(a.second, b.second) ||
                           std::max(a.first, b.first) < std::min(p.first, q.first);
        if (!apart) return false;
      }
    }
  }
  return true;
}

}  // namespace sulkor::testing_shapes
