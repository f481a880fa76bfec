#include "host/geometry/curve.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "geometry/segment_build.h"

namespace sulkor::host {

namespace {

constexpr double kFullTurn = 2.0 * std::numbers::pi;

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

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

double Dist(double x0, double y0, double x1, double y1) { return std::hypot(x1 - x0, y1 - y0); }

// Adds a hit unless one already lies within the node tolerance of it.
void AddHit(std::vector<CurveHit>& hits, double ta, double tb, double x, double y) {
  for (const CurveHit& h : hits) {
    if (Dist(h.X, h.Y, x, y) < kNodeTol) return;
  }
  hits.push_back({std::clamp(ta, 0.0, 1.0), std::clamp(tb, 0.0, 1.0), x, y});
}

// A parameter inside [0, 1] with a margin of the node tolerance measured along the curve.
bool WithinCurve(const Curve& c, double t) {
  const double margin = kNodeTol / std::max(CurveLength(c), kNodeTol);
  return t >= -margin && t <= 1.0 + margin;
}

bool SameCarrier(const Curve& a, const Curve& b) {
  if (a.Arc != b.Arc) return false;
  if (a.Arc) return Dist(a.Cx, a.Cy, b.Cx, b.Cy) < kNodeTol && std::fabs(a.R - b.R) < kNodeTol;
  const double la = CurveLength(a);
  const double dx = (a.X1 - a.X0) / la;
  const double dy = (a.Y1 - a.Y0) / la;
  return std::fabs(Cross(dx, dy, b.X0 - a.X0, b.Y0 - a.Y0)) < kNodeTol &&
         std::fabs(Cross(dx, dy, b.X1 - a.X0, b.Y1 - a.Y0)) < kNodeTol;
}

void IntersectLines(const Curve& a, const Curve& b, std::vector<CurveHit>& hits) {
  const double dax = a.X1 - a.X0, day = a.Y1 - a.Y0;
  const double dbx = b.X1 - b.X0, dby = b.Y1 - b.Y0;
  const double la = std::hypot(dax, day), lb = std::hypot(dbx, dby);
  // Signed distances of each line's ends from the other line.
  const double hb0 = Cross(dax, day, b.X0 - a.X0, b.Y0 - a.Y0) / la;
  const double hb1 = Cross(dax, day, b.X1 - a.X0, b.Y1 - a.Y0) / la;
  const double ha0 = Cross(dbx, dby, a.X0 - b.X0, a.Y0 - b.Y0) / lb;
  const double ha1 = Cross(dbx, dby, a.X1 - b.X0, a.Y1 - b.Y0) / lb;
  if ((hb0 > 0.0 && hb1 > 0.0) || (hb0 < 0.0 && hb1 < 0.0)) return;
  if ((ha0 > 0.0 && ha1 > 0.0) || (ha0 < 0.0 && ha1 < 0.0)) return;
  if (hb0 == hb1 || ha0 == ha1) return;
  const double u = hb0 / (hb0 - hb1);
  const double t = ha0 / (ha0 - ha1);
  AddHit(hits, t, u, a.X0 + t * dax, a.Y0 + t * day);
}

// Crossings of line a with arc b; swapped tells that the caller's first curve is the arc.
void IntersectLineArc(const Curve& a, const Curve& b, bool swapped, std::vector<CurveHit>& hits) {
  const double dx = a.X1 - a.X0, dy = a.Y1 - a.Y0;
  const double len = std::hypot(dx, dy);
  const double h = Cross(dx, dy, b.Cx - a.X0, b.Cy - a.Y0) / len;
  if (std::fabs(h) > b.R + kNodeTol) return;
  const double foot = ((b.Cx - a.X0) * dx + (b.Cy - a.Y0) * dy) / (len * len);
  double ts[2] = {foot, foot};
  int n = 1;
  if (b.R - std::fabs(h) > kNodeTol) {
    const double half = std::sqrt(b.R * b.R - h * h) / len;
    ts[0] = foot - half;
    ts[1] = foot + half;
    n = 2;
  }
  for (int i = 0; i < n; ++i) {
    const double t = ts[i];
    if (!WithinCurve(a, t)) continue;
    const double x = a.X0 + t * dx, y = a.Y0 + t * dy;
    const double tb = ArcParam(b, x, y);
    if (!WithinCurve(b, tb)) continue;
    if (swapped) {
      AddHit(hits, tb, t, x, y);
    } else {
      AddHit(hits, t, tb, x, y);
    }
  }
}

void IntersectArcs(const Curve& a, const Curve& b, std::vector<CurveHit>& hits) {
  const double ux = b.Cx - a.Cx, uy = b.Cy - a.Cy;
  const double d = std::hypot(ux, uy);
  if (d < kNodeTol) return;  // concentric: shared stretches come from the end checks
  if (d > a.R + b.R + kNodeTol || d < std::fabs(a.R - b.R) - kNodeTol) return;
  const double along = (d * d + a.R * a.R - b.R * b.R) / (2.0 * d);
  const double h2 = a.R * a.R - along * along;
  const double cx = ux / d, cy = uy / d;
  const double mx = a.Cx + along * cx, my = a.Cy + along * cy;
  double px[2] = {mx, mx}, py[2] = {my, my};
  int n = 1;
  if (h2 > 0.0) {
    const double h = std::sqrt(h2);
    if (h > 0.5 * kNodeTol) {
      px[0] = mx - h * cy;
      py[0] = my + h * cx;
      px[1] = mx + h * cy;
      py[1] = my - h * cx;
      n = 2;
    }
  }
  for (int i = 0; i < n; ++i) {
    const double ta = ArcParam(a, px[i], py[i]);
    if (!WithinCurve(a, ta)) continue;
    const double tb = ArcParam(b, px[i], py[i]);
    if (!WithinCurve(b, tb)) continue;
    AddHit(hits, ta, tb, px[i], py[i]);
  }
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
  if (std::fabs(std::fabs(sweep) - kFullTurn) < 1e-15) {
    c.X1 = c.X0;
    c.Y1 = c.Y0;
  } else {
    c.X1 = cx + r * std::cos(a0 + sweep);
    c.Y1 = cy + r * std::sin(a0 + sweep);
  }
  return c;
}

bool CurveFromSegment(const Segment& segment, Curve& curve) {
  const Point3& s = segment.StartPt;
  const Point3& e = segment.EndPt;
  const Point3& m = segment.Center;
  switch (segment.Kind) {
    case SegmentKind::Line:
      if (Dist(s.x, s.y, e.x, e.y) < 1e-12) return false;
      curve = LineCurve(s.x, s.y, e.x, e.y);
      return true;
    case SegmentKind::Arc: {
      const double r = Dist(m.x, m.y, s.x, s.y);
      if (r < 1e-12) return false;
      const double dir = segment.Direction == 1 ? 1.0 : -1.0;
      const double a0 = std::atan2(s.y - m.y, s.x - m.x);
      const double a1 = std::atan2(e.y - m.y, e.x - m.x);
      double span = dir > 0.0 ? a1 - a0 : a0 - a1;
      span = std::fmod(span, kFullTurn);
      if (span < 0.0) span += kFullTurn;
      if (Dist(s.x, s.y, e.x, e.y) < 1e-9) {
        // Equal ends: a full turn when the mid point lies away from them, else nothing.
        if (Dist(s.x, s.y, segment.MidPt.x, segment.MidPt.y) < 1e-9) return false;
        span = kFullTurn;
      }
      curve = ArcCurve(m.x, m.y, r, a0, dir * span);
      curve.X0 = s.x;
      curve.Y0 = s.y;
      curve.X1 = e.x;
      curve.Y1 = e.y;
      return true;
    }
    case SegmentKind::Circle: {
      const double r = std::fabs(segment.Radius);
      if (r < 1e-12) return false;
      const double dir = segment.Direction == 1 ? 1.0 : -1.0;
      double a0 = 0.0;
      if (std::fabs(Dist(m.x, m.y, s.x, s.y) - r) < kEps) a0 = std::atan2(s.y - m.y, s.x - m.x);
      curve = ArcCurve(m.x, m.y, r, a0, dir * kFullTurn);
      return true;
    }
    case SegmentKind::None:
      break;
  }
  return false;
}

Segment SegmentFromCurve(const Curve& c) {
  if (!c.Arc) return MakeLine(c.X0, c.Y0, c.X1, c.Y1);
  const bool closing = Dist(c.X0, c.Y0, c.X1, c.Y1) < 1e-12;
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

Box BoxOf(const Curve& c) {
  Box b{std::min(c.X0, c.X1), std::min(c.Y0, c.Y1), std::max(c.X0, c.X1), std::max(c.Y0, c.Y1)};
  if (!c.Arc) return b;
  // The extreme points of the circle that the arc passes.
  for (int k = 0; k < 4; ++k) {
    const double a = k * 0.5 * std::numbers::pi;
    const double x = c.Cx + c.R * std::cos(a), y = c.Cy + c.R * std::sin(a);
    const double t = ArcParam(c, x, y);
    if (t > 0.0 && t < 1.0) {
      b.MinX = std::min(b.MinX, x);
      b.MaxX = std::max(b.MaxX, x);
      b.MinY = std::min(b.MinY, y);
      b.MaxY = std::max(b.MaxY, y);
    }
  }
  return b;
}

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

double DistanceTo(const Curve& c, double x, double y) {
  if (c.Arc) {
    const double t = ArcParam(c, x, y);
    if (t >= 0.0 && t <= 1.0) return std::fabs(Dist(x, y, c.Cx, c.Cy) - c.R);
    return std::min(Dist(x, y, c.X0, c.Y0), Dist(x, y, c.X1, c.Y1));
  }
  double px, py;
  PointAt(c, NearestParam(c, x, y), px, py);
  return Dist(x, y, px, py);
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

double AreaTerm(const Curve& c) {
  if (!c.Arc) return 0.5 * (c.X0 * c.Y1 - c.X1 * c.Y0);
  return 0.5 * (c.Cx * (c.Y1 - c.Y0) - c.Cy * (c.X1 - c.X0) + c.R * c.R * c.Sweep);
}

void IntersectCurves(const Curve& a, const Curve& b, std::vector<CurveHit>& hits) {
  hits.clear();
  // Ends lying on the other curve come first: they settle touches, shared vertices and the
  // ends of shared stretches exactly.
  if (DistanceTo(b, a.X0, a.Y0) < kNodeTol) {
    AddHit(hits, 0.0, NearestParam(b, a.X0, a.Y0), a.X0, a.Y0);
  }
  if (DistanceTo(b, a.X1, a.Y1) < kNodeTol) {
    AddHit(hits, 1.0, NearestParam(b, a.X1, a.Y1), a.X1, a.Y1);
  }
  if (DistanceTo(a, b.X0, b.Y0) < kNodeTol) {
    AddHit(hits, NearestParam(a, b.X0, b.Y0), 0.0, b.X0, b.Y0);
  }
  if (DistanceTo(a, b.X1, b.Y1) < kNodeTol) {
    AddHit(hits, NearestParam(a, b.X1, b.Y1), 1.0, b.X1, b.Y1);
  }
  if (!SameCarrier(a, b)) {
    if (!a.Arc && !b.Arc) {
      IntersectLines(a, b, hits);
    } else if (!a.Arc) {
      IntersectLineArc(a, b, false, hits);
    } else if (!b.Arc) {
      IntersectLineArc(b, a, true, hits);
    } else {
      IntersectArcs(a, b, hits);
    }
  }
  std::sort(hits.begin(), hits.end(),
            [](const CurveHit& p, const CurveHit& q) { return p.Ta < q.Ta; });
}

}  // namespace sulkor::host
