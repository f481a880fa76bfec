#include "kernel/curve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "contour/segment_build.h"
#include "kernel/shape.h"

namespace sulkor::host {

namespace {

// The angle from the arc's start to the point, measured in the arc's sense, as a parameter:
// points just before the start give a small negative value, points past the end a value above 1.
double ArcParam(const Curve& c, double x, double y) {
  const double phi = std::atan2(y - c.Cy, x - c.Cx);
  double delta = c.Sweep >= 0.0 ? phi - c.A0 : c.A0 - phi;
  delta = std::fmod(delta, kFullTurn);
  if (delta < 0.0) delta += kFullTurn;
  const double span = std::fabs(c.Sweep);
  if (delta > span && delta - span > kFullTurn - delta) delta -= kFullTurn;
  return delta / span;
}

// Coordinates of lathe parts never come near overflow: the plain root is exact enough and far
// quicker than hypot.
double Dist(double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0, dy = y1 - y0;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

Curve LineCurve(double x0, double y0, double x1, double y1) {
  Curve c;
  c.X0 = x0;
  c.Y0 = y0;
  c.X1 = x1;
  c.Y1 = y1;
  return c;
}

Curve ArcCurve(double cx, double cy, double r, double a0, double sweep) {
  Curve c;
  c.Arc = true;
  c.Cx = cx;
  c.Cy = cy;
  c.R = r;
  c.A0 = a0;
  c.Sweep = sweep;
  c.X0 = cx + r * std::cos(a0);
  c.Y0 = cy + r * std::sin(a0);
  if (std::fabs(std::fabs(sweep) - kFullTurn) < kFullTurnTol) {
    c.X1 = c.X0;
    c.Y1 = c.Y0;
  } else {
    c.X1 = cx + r * std::cos(a0 + sweep);
    c.Y1 = cy + r * std::sin(a0 + sweep);
  }
  return c;
}

bool CurveFromSegment(const Segment& segment, Curve& curve) {
  const Shape shape = ShapeOfSegment(segment);
  switch (shape.type) {
    case Shape::Type::Line:
      curve = LineCurve(shape.p0.x, shape.p0.y, shape.p1.x, shape.p1.y);
      return true;
    case Shape::Type::Arc:
      curve = ArcCurve(shape.c.x, shape.c.y, shape.r, shape.a0, shape.dir * shape.sweep);
      curve.X0 = shape.p0.x;
      curve.Y0 = shape.p0.y;
      curve.X1 = shape.full ? shape.p0.x : shape.p1.x;
      curve.Y1 = shape.full ? shape.p0.y : shape.p1.y;
      return true;
    case Shape::Type::Point:
    case Shape::Type::None:
      break;
  }
  return false;
}

Segment SegmentFromCurve(const Curve& c) {
  if (!c.Arc) return MakeLine(c.X0, c.Y0, c.X1, c.Y1);
  const bool closing = Dist(c.X0, c.Y0, c.X1, c.Y1) < kOnTol;
  if (closing && std::fabs(c.Sweep) < std::numbers::pi) return MakeLine(c.X0, c.Y0, c.X1, c.Y1);
  return MakeArc(c.X0, c.Y0, c.X1, c.Y1, c.Cx, c.Cy, static_cast<int16_t>(c.Sweep > 0.0 ? 1 : -1));
}

double CurveLength(const Curve& c) {
  if (c.Arc) return c.R * std::fabs(c.Sweep);
  return Dist(c.X0, c.Y0, c.X1, c.Y1);
}

void PointAt(const Curve& c, double t, double& x, double& y) {
  if (t <= 0.0) {
    x = c.X0;
    y = c.Y0;
  } else if (t >= 1.0) {
    x = c.X1;
    y = c.Y1;
  } else if (c.Arc) {
    const double a = c.A0 + c.Sweep * t;
    x = c.Cx + c.R * std::cos(a);
    y = c.Cy + c.R * std::sin(a);
  } else {
    x = c.X0 + t * (c.X1 - c.X0);
    y = c.Y0 + t * (c.Y1 - c.Y0);
  }
}

void TangentAt(const Curve& c, double t, double& tx, double& ty) {
  if (c.Arc) {
    const double a = c.A0 + c.Sweep * std::clamp(t, 0.0, 1.0);
    const double s = c.Sweep > 0.0 ? 1.0 : -1.0;
    tx = -s * std::sin(a);
    ty = s * std::cos(a);
    return;
  }
  const double len = CurveLength(c);
  tx = (c.X1 - c.X0) / len;
  ty = (c.Y1 - c.Y0) / len;
}

double Curvature(const Curve& c) {
  if (!c.Arc) return 0.0;
  return (c.Sweep > 0.0 ? 1.0 : -1.0) / c.R;
}

Box BoxOf(const Curve& c) { return ShapeBox(ShapeOfCurve(c)); }

double NearestParam(const Curve& c, double x, double y) {
  if (c.Arc) {
    const double t = ArcParam(c, x, y);
    if (t >= 0.0 && t <= 1.0) return t;
    return Dist(x, y, c.X0, c.Y0) <= Dist(x, y, c.X1, c.Y1) ? 0.0 : 1.0;
  }
  const double dx = c.X1 - c.X0, dy = c.Y1 - c.Y0;
  const double t = ((x - c.X0) * dx + (y - c.Y0) * dy) / (dx * dx + dy * dy);
  return std::clamp(t, 0.0, 1.0);
}

Curve SubCurve(const Curve& c, double t0, double t1, double x0, double y0, double x1, double y1) {
  Curve s = c;
  if (c.Arc) {
    s.A0 = c.A0 + c.Sweep * t0;
    s.Sweep = c.Sweep * (t1 - t0);
  }
  s.X0 = x0;
  s.Y0 = y0;
  s.X1 = x1;
  s.Y1 = y1;
  return s;
}

Curve Reversed(const Curve& c) {
  Curve r = c;
  std::swap(r.X0, r.X1);
  std::swap(r.Y0, r.Y1);
  if (c.Arc) {
    r.A0 = c.A0 + c.Sweep;
    r.Sweep = -c.Sweep;
  }
  return r;
}

double AreaTerm(const Curve& c, double ox, double oy) {
  if (!c.Arc) return 0.5 * ((c.X0 - ox) * (c.Y1 - oy) - (c.X1 - ox) * (c.Y0 - oy));
  return 0.5 * ((c.Cx - ox) * (c.Y1 - c.Y0) - (c.Cy - oy) * (c.X1 - c.X0) + c.R * c.R * c.Sweep);
}

}  // namespace sulkor::host
