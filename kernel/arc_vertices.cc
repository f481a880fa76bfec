#include "kernel/arc_vertices.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "contour/tolerances.h"
#include "sulkor/error.h"

namespace sulkor::host {
namespace {

// Angles here come from atan2, so they are measured against the true pi.
constexpr double kFullTurn = 2.0 * std::numbers::pi;

double Distance(Point2 a, Point2 b) { return std::hypot(b.x - a.x, b.y - a.y); }

double Cross(Point2 o, Point2 a, Point2 b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// Angle of p seen from c, in [0, 2*pi).
double AngleAround(Point2 c, Point2 p) {
  double a = std::atan2(p.y - c.y, p.x - c.x);
  return a < 0.0 ? a + kFullTurn : a;
}

double Wrap(double a) {
  a = std::fmod(a, kFullTurn);
  return a < 0.0 ? a + kFullTurn : a;
}

void Widen(Point2 p, Point2& lo, Point2& hi) {
  lo.x = std::min(lo.x, p.x);
  lo.y = std::min(lo.y, p.y);
  hi.x = std::max(hi.x, p.x);
  hi.y = std::max(hi.y, p.y);
}

}  // namespace

Point2 QuarterPoint(Point2 start, Point2 center, int16_t direction) {
  const double k = direction < 0 ? -1.0 : 1.0;
  return {center.x - k * (start.y - center.y), center.y + k * (start.x - center.x)};
}

int16_t DirectionFromQuarterPoint(Point2 start, Point2 quarter, Point2 center) {
  const double rs = Distance(center, start);
  const double rq = Distance(center, quarter);
  if (rs < kEps || rq < kEps) throw GeometryError("arc vertex at its centre");
  const double sine = Cross(center, start, quarter) / (rs * rq);
  if (std::fabs(sine) < kEps) throw GeometryError("arc quarter point does not fix a direction");
  return sine > 0.0 ? int16_t{1} : int16_t{-1};
}

ArcGeometry ArcFromCenter(Point2 start, Point2 quarter, Point2 center) {
  ArcGeometry arc;
  arc.direction = DirectionFromQuarterPoint(start, quarter, center);
  arc.center = center;
  arc.radius = Distance(center, start);
  return arc;
}

ArcGeometry ArcFromQuarterAndEnd(Point2 start, Point2 quarter, Point2 end) {
  const double dx = quarter.x - start.x;
  const double dy = quarter.y - start.y;
  if (std::hypot(dx, dy) < kEps) throw GeometryError("arc quarter point at its start");
  // The centre from which quarter is start turned by +90 degrees, and by -90 degrees.
  const Point2 ccw{start.x + 0.5 * (dx - dy), start.y + 0.5 * (dx + dy)};
  const Point2 cw{start.x + 0.5 * (dx + dy), start.y + 0.5 * (dy - dx)};
  const double radius = std::hypot(dx, dy) / std::sqrt(2.0);
  const double missCcw = std::fabs(Distance(ccw, end) - radius);
  const double missCw = std::fabs(Distance(cw, end) - radius);
  ArcGeometry arc;
  arc.radius = radius;
  if (missCw + kEps < missCcw) {
    arc.center = cw;
    arc.direction = -1;
  } else {
    arc.center = ccw;
    arc.direction = 1;
  }
  return arc;
}

Point2 CircleThroughPoints(Point2 a, Point2 b, Point2 c) {
  const double longest = std::max({Distance(a, b), Distance(b, c), Distance(a, c)});
  const double cross = Cross(a, b, c);
  if (longest < kEps || std::fabs(cross) / longest < kEps) {
    throw GeometryError("no circle passes through three points on one line");
  }
  const double a2 = a.x * a.x + a.y * a.y;
  const double b2 = b.x * b.x + b.y * b.y;
  const double c2 = c.x * c.x + c.y * c.y;
  const double d = 2.0 * (a.x * (b.y - c.y) + b.x * (c.y - a.y) + c.x * (a.y - b.y));
  return {(a2 * (b.y - c.y) + b2 * (c.y - a.y) + c2 * (a.y - b.y)) / d,
          (a2 * (c.x - b.x) + b2 * (a.x - c.x) + c2 * (b.x - a.x)) / d};
}

bool TurnsCounterclockwise(Point2 a, Point2 b, Point2 c) { return Cross(a, b, c) > 0.0; }

void WidenByArc(Point2 start, Point2 end, const ArcGeometry& arc, Point2& lo, Point2& hi) {
  Widen(start, lo, hi);
  Widen(end, lo, hi);
  // The counterclockwise sweep that covers the arc: from start for a counterclockwise arc, from
  // end for a clockwise one.
  const Point2 from = arc.direction < 0 ? end : start;
  const Point2 to = arc.direction < 0 ? start : end;
  const double a0 = AngleAround(arc.center, from);
  const double sweep =
      Distance(start, end) < kEps ? kFullTurn : Wrap(AngleAround(arc.center, to) - a0);
  const Point2 extremes[4] = {{arc.center.x + arc.radius, arc.center.y},
                              {arc.center.x, arc.center.y + arc.radius},
                              {arc.center.x - arc.radius, arc.center.y},
                              {arc.center.x, arc.center.y - arc.radius}};
  for (int k = 0; k < 4; ++k) {
    const double from0 = Wrap(k * 0.5 * std::numbers::pi - a0);
    if (from0 <= sweep + kSweepEps || from0 >= kFullTurn - kSweepEps) Widen(extremes[k], lo, hi);
  }
}

}  // namespace sulkor::host
