#include "contour/primitives.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "sulkor/error.h"

namespace sulkor {

namespace {

constexpr double kHalfPi = kPi / 2.0;
constexpr double kThreeHalfPi = 3.0 * kPi / 2.0;

// Largest distance that RestartContourNearPoint still accepts as "nearer".
constexpr double kNearestStart = 1e7;

// A division that the geometry treats as a failure when the divisor is zero, instead of
// producing an infinity or a NaN that would travel on silently.
double Divide(double numerator, double denominator) {
  if (denominator == 0.0) throw GeometryError("division by zero");
  return numerator / denominator;
}

}  // namespace

double NormalizeOnce(double angle) { return angle > kTwoPi ? angle - kTwoPi : angle; }

double AngleFromSinCos(double s, double c) {
  const double t = kAngleEps;
  if (std::abs(c) < t) return s > t ? kHalfPi : kThreeHalfPi;
  if (std::abs(s) < t) return c > t ? 0.0 : kPi;
  if (s >= 0.0 && c > 0.0) return std::atan(s / c);
  if (s >= 0.0 && c < 0.0) return kPi + std::atan(s / c);
  if (s < 0.0 && c < 0.0) return kPi + std::atan(s / c);
  return kTwoPi + std::atan(s / c);
}

void LineLengthAngle(double x1, double y1, double x2, double y2, double& length, double& angle) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double d = std::sqrt(dx * dx + dy * dy);
  if (std::abs(d) < kEps) {
    length = 0.0;
    angle = 0.0;
    return;
  }
  length = d;
  angle = AngleFromSinCos(dy / d, dx / d);
}

void ArcMidPoint(double cx, double cy, double sx, double sy, double ex, double ey, double radius,
                 int16_t direction, double& mx, double& my) {
  if (std::abs(radius) < kEps) {
    mx = cx;
    my = cy;
    return;
  }
  // The radius keeps its sign: a negative radius turns both radial angles by pi, and the mid
  // point below turns back by the same amount.
  const double a1 = AngleFromSinCos((sy - cy) / radius, (sx - cx) / radius);
  double a2 = AngleFromSinCos((ey - cy) / radius, (ex - cx) / radius);
  if ((direction == 1 && a1 > a2) || (direction != 1 && a1 < a2)) a2 -= kTwoPi;
  const double m = (a1 + a2) / 2.0;
  mx = cx + radius * std::cos(m);
  my = cy + radius * std::sin(m);
}

void ArcEndTangents(double sx, double sy, double ex, double ey, double cx, double cy,
                    double radius, int16_t direction, double& startTangent, double& endTangent) {
  const double turn = direction == 1 ? kHalfPi : kThreeHalfPi;
  const double a1 = AngleFromSinCos(Divide(sy - cy, radius), Divide(sx - cx, radius));
  const double a2 = AngleFromSinCos(Divide(ey - cy, radius), Divide(ex - cx, radius));
  startTangent = NormalizeOnce(a1 + turn);
  endTangent = NormalizeOnce(a2 + turn);
}

int16_t SideOfChord(double x1, double y1, double x2, double y2, double px, double py,
                    int16_t direction) {
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double length = std::sqrt(dx * dx + dy * dy);
  if (length < kEps) return 1;
  const double cosT = dx / length;
  const double sinT = dy / length;
  // Positive when the point lies to the left of the chord.
  const double cross = (py - y1) * cosT - (px - x1) * sinT;
  if (cross <= 0.0) return direction == -1 ? int16_t{-1} : int16_t{1};
  return direction == -1 ? int16_t{1} : int16_t{-1};
}

double SignWithTolerance(double x) {
  if (std::abs(x) < kEps) return 0.0;
  return x < 0.0 ? -1.0 : 1.0;
}

bool IntersectLineCircle(double px, double py, double angle, double cx, double cy, double radius,
                         double& x1, double& y1, double& x2, double& y2) {
  const double s = std::sin(angle);
  const double c = std::cos(angle);
  // The centre in the frame of the line: t0 along it to the foot of the perpendicular, h its
  // signed distance from the line.
  const double t0 = (cy - py) * s + (cx - px) * c;
  const double h = (cy - py) * c - (cx - px) * s;
  // A line that passes the circle within 1e-9 still meets it (a tangent gives two points that
  // nearly coincide); one at 1e-9 or more outside does not.
  if (!(std::abs(h) < std::abs(radius) + kCircleEps)) return false;
  const double d = std::sqrt(std::abs(radius * radius - h * h));
  x1 = px + (t0 + d) * c;
  y1 = py + (t0 + d) * s;
  x2 = px + (t0 - d) * c;
  y2 = py + (t0 - d) * s;
  return true;
}

bool IntersectCircles(double cx1, double cy1, double r1, double cx2, double cy2, double r2,
                      double& x1, double& y1, double& x2, double& y2) {
  const double big1 = std::abs(r1);
  const double big2 = std::abs(r2);
  const double dx = cx2 - cx1;
  const double dy = cy2 - cy1;
  const double d = std::sqrt(dx * dx + dy * dy);
  const double e = kCircleEps;
  if (big1 + big2 + e < d) return false;                          // apart
  if (d < e && std::abs(big1 - big2) < e) return false;           // the same circle
  if (std::abs(big1 - big2) > d + e) return false;                // one inside the other
  const double c = Divide(dx, d);
  const double s = Divide(dy, d);
  const double a = Divide(d * d + big1 * big1 - big2 * big2, 2.0 * d);
  const double h = std::sqrt(std::abs(big1 * big1 - a * a));
  x1 = cx1 + a * c - h * s;
  y1 = cy1 + a * s + h * c;
  x2 = cx1 + a * c + h * s;
  y2 = cy1 + a * s - h * c;
  return true;
}

bool SamePoint(double x1, double y1, double x2, double y2) {
  return std::abs(x1 - x2) < kEps && std::abs(y1 - y2) < kEps;
}

bool SamePoint(const Point3& a, const Point3& b) { return SamePoint(a.x, a.y, b.x, b.y); }

double ArcSweep(const Segment& arc) {
  if (SamePoint(arc.StartPt, arc.EndPt)) return kTwoPi;
  const double r = std::abs(arc.Radius);
  if (r < kEps) return 0.0;
  const double cx = arc.Center.x;
  const double cy = arc.Center.y;
  const double a1 = AngleFromSinCos((arc.StartPt.y - cy) / r, (arc.StartPt.x - cx) / r);
  const double a2 = AngleFromSinCos((arc.EndPt.y - cy) / r, (arc.EndPt.x - cx) / r);
  double sweep = arc.Direction == 1 ? a2 - a1 : a1 - a2;
  if (sweep <= 0.0) sweep += kTwoPi;
  return sweep;
}

double SignedArcSweep(const Segment& arc) {
  const double sx = arc.StartPt.x - arc.Center.x, sy = arc.StartPt.y - arc.Center.y;
  const double ex = arc.EndPt.x - arc.Center.x, ey = arc.EndPt.y - arc.Center.y;
  double sweep = std::atan2(sx * ey - sy * ex, sx * ex + sy * ey);
  if (arc.Direction == 1 && sweep <= 0.0) sweep += kTwoPi;
  if (arc.Direction != 1 && sweep >= 0.0) sweep -= kTwoPi;
  return sweep;
}

bool PointInArcSweep(const Segment& arc, double px, double py) {
  const double r = std::abs(arc.Radius);
  const double cx = arc.Center.x;
  const double cy = arc.Center.y;
  const double cosA = Divide(arc.StartPt.x - cx, r);
  const double sinA = Divide(arc.StartPt.y - cy, r);
  // Angle of a point measured from the start radial, counterclockwise.
  auto angleFromStart = [&](double qx, double qy) {
    const double u = (qy - cy) * sinA + (qx - cx) * cosA;
    const double v = (qy - cy) * cosA - (qx - cx) * sinA;
    return AngleFromSinCos(v / r, u / r);
  };
  double sweep = angleFromStart(arc.EndPt.x, arc.EndPt.y);
  double test = angleFromStart(px, py);
  if (arc.Direction == -1) {
    sweep = kTwoPi - sweep;
    test = kTwoPi - test;
  }
  return test > kSweepEps && test < sweep + kSweepEps;
}

void ReverseContour(Contour& contour) {
  const size_t n = contour.Segs.size();
  std::vector<Segment> reversed(n);
  for (size_t i = 0; i < n; ++i) {
    Segment seg = contour.Segs[i];
    std::swap(seg.StartPt.x, seg.EndPt.x);
    std::swap(seg.StartPt.y, seg.EndPt.y);
    if (seg.IsArc() || seg.IsCircle()) {
      const double t0 = seg.Tangent[0];
      const double t1 = seg.Tangent[1];
      seg.Tangent[0] = NormalizeOnce(t1 + kPi);
      seg.Tangent[1] = NormalizeOnce(t0 + kPi);
      seg.Direction = static_cast<int16_t>(-seg.Direction);
    } else if (seg.IsLine()) {
      const double t = NormalizeOnce(seg.Tangent[0] + kPi);
      seg.Tangent[0] = t;
      seg.Tangent[1] = t;
    }
    reversed[n - 1 - i] = seg;
  }
  contour.Segs = std::move(reversed);
}

void RestartContourNearPoint(Contour& contour, double px, double py) {
  const int32_t n = contour.Count();
  if (n == 0) return;
  int32_t best = 0;
  double bestDistance = kNearestStart;
  for (int32_t i = 0; i < n; ++i) {
    const Point3& start = contour.Seg(i).StartPt;
    const double dx = start.x - px;
    const double dy = start.y - py;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  if (best == 0) return;
  std::vector<Segment> rotated;
  rotated.reserve(contour.Segs.size());
  for (int32_t i = best; i < n; ++i) rotated.push_back(contour.Seg(i));
  for (int32_t i = 0; i < best; ++i) rotated.push_back(contour.Seg(i));
  contour.Segs = std::move(rotated);
}

}  // namespace sulkor
