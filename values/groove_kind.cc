#include "values/groove_kind.h"

#include <cmath>
#include <vector>

#include "contour/tolerances.h"
#include "operation/parameters.h"

namespace sulkor::values {
namespace {

// The points that bound the element: its ends, and for an arc its middle and the extremes of
// its circle that it passes.
void AddPoints(const Element& e, std::vector<Point>& points) {
  points.push_back(e.start);
  points.push_back(e.end);
  if (e.kind != ElementKind::Arc) return;
  const double r = std::hypot(e.start.x - e.center.x, e.start.y - e.center.y);
  auto angle = [&](Point p) {
    const double a = std::atan2(p.y - e.center.y, p.x - e.center.x);
    return a < 0.0 ? a + 2.0 * kPi : a;
  };
  const double a0 = angle(e.start);
  double sweep = e.direction * (angle(e.end) - a0);
  if (sweep <= 0.0) sweep += 2.0 * kPi;
  for (int quarter = 0; quarter < 4; ++quarter) {
    const double q = quarter * kPi / 2.0;
    double along = e.direction * (q - a0);
    along = std::fmod(along + 4.0 * kPi, 2.0 * kPi);
    if (along < sweep) points.push_back({e.center.x + r * std::cos(q), e.center.y + r * std::sin(q)});
  }
}

}  // namespace

GrooveKind KindOfProfile(const Chain& profile) {
  if (profile.empty()) return GrooveKind::OutsideDiameter;
  const Point a = profile.front().start;
  const Point b = profile.back().end;
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double length = std::hypot(dx, dy);
  std::vector<Point> points;
  for (const Element& e : profile) AddPoints(e, points);
  // The signed distance from the chord, positive to its left seen from a to b.
  double farthest = 0.0;
  for (const Point& p : points) {
    const double d = length > 0.0 ? (dx * (p.y - a.y) - dy * (p.x - a.x)) / length : 0.0;
    if (std::fabs(d) > std::fabs(farthest)) farthest = d;
  }
  const bool turn = std::fabs(dx) >= std::fabs(dy);
  if (turn) {
    // Left of a chord running toward +x is above it.
    const bool above = (dx >= 0.0) == (farthest > 0.0);
    return above ? GrooveKind::Bore : GrooveKind::OutsideDiameter;
  }
  // Left of a chord running toward +y is toward -x.
  const bool towardMinusX = (dy >= 0.0) == (farthest > 0.0);
  return towardMinusX ? GrooveKind::FrontFace : GrooveKind::BackFace;
}

std::string_view TrajectoryTypeOf(GrooveKind kind) {
  return kind == GrooveKind::OutsideDiameter || kind == GrooveKind::Bore ? kTrajectoryTurn
                                                                         : kTrajectoryFace;
}

std::string_view DirectionOf(GrooveKind kind) {
  return kind == GrooveKind::OutsideDiameter || kind == GrooveKind::BackFace ? kDirectionExternal
                                                                             : kDirectionInternal;
}

GrooveKind ToGrooveKind(WorkKind kind) {
  switch (kind) {
    case WorkKind::OutsideDiameter: return GrooveKind::OutsideDiameter;
    case WorkKind::Bore: return GrooveKind::Bore;
    case WorkKind::FrontFace: return GrooveKind::FrontFace;
    case WorkKind::BackFace: return GrooveKind::BackFace;
  }
  return GrooveKind::OutsideDiameter;
}

}  // namespace sulkor::values
