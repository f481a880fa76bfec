#include "contour/contour_ops.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "contour/primitives.h"

namespace sulkor {

namespace {

constexpr double kProbeAngle = 0.5;
constexpr int kProbeSizes = 5;  // half-lengths 1e-4, 1e-3, 1e-2, 1e-1, 1

// A one-segment contour holding a "Line" from (x1, y1) to (x2, y2) whose Tangent and Length are
// given by the caller.
Contour ProbeContour(double x1, double y1, double x2, double y2, double length, double angle) {
  Segment probe;
  probe.Kind = SegmentKind::Line;
  probe.StartPt = {x1, y1, 0.0};
  probe.EndPt = {x2, y2, 0.0};
  probe.Length = length;
  probe.Tangent[0] = angle;
  probe.Tangent[1] = angle;
  Contour contour;
  contour.Segs.push_back(probe);
  return contour;
}

// A probe line through (px, py) of half-length h at angle a.
Contour ProbeThrough(double px, double py, double h, double a) {
  const double x1 = px + h * std::cos(a);
  const double y1 = py + h * std::sin(a);
  const double x2 = px - h * std::cos(a);
  const double y2 = py - h * std::sin(a);
  double length = 0.0;
  double angle = 0.0;
  LineLengthAngle(x1, y1, x2, y2, length, angle);
  return ProbeContour(x1, y1, x2, y2, length, angle);
}

bool Coincide(const Point3& p, double x, double y) {
  return std::abs(p.x - x) < kEps && std::abs(p.y - y) < kEps;
}

// After a piece of a segment got new ends: a line's length is the distance of its ends; an arc
// gets its mid point and tangents anew and keeps the length of the whole arc.
void RefreshPiece(Segment& piece) {
  if (piece.IsLine()) {
    piece.Length = std::hypot(piece.EndPt.x - piece.StartPt.x, piece.EndPt.y - piece.StartPt.y);
  } else if (piece.IsArc()) {
    const Point3& s = piece.StartPt;
    const Point3& e = piece.EndPt;
    const Point3& c = piece.Center;
    ArcMidPoint(c.x, c.y, s.x, s.y, e.x, e.y, piece.Radius, piece.Direction, piece.MidPt.x,
                piece.MidPt.y);
    ArcEndTangents(s.x, s.y, e.x, e.y, c.x, c.y, piece.Radius, piece.Direction,
                   piece.Tangent[0], piece.Tangent[1]);
  }
}

void Widen(Contour& contour, double x, double y) {
  if (x > contour.MaxX) contour.MaxX = x;
  if (x < contour.MinX) contour.MinX = x;
  if (y > contour.MaxY) contour.MaxY = y;
  if (y < contour.MinY) contour.MinY = y;
}

}  // namespace

bool SplitContourAtPoint(GeometryServices& services, Contour& contour, double px, double py) {
  IntersectionResult crossings;
  bool found = false;
  double h = 100.0 * kEps;
  for (int size = 0; size < kProbeSizes && !found; ++size, h *= 10.0) {
    for (double a : {kProbeAngle, kProbeAngle + kPi / 2.0}) {
      crossings = IntersectionResult{};
      const Contour probe = ProbeThrough(px, py, h, a);
      services.Intersect(contour, probe, crossings);
      if (crossings.Count() > 0) {
        found = true;
        break;
      }
    }
  }
  if (!found) return false;

  // The probe may meet the contour more than once: where a segment runs close beside the
  // point (a lead-in pushed 2e-5 off the blank outline next to the crossing that is to become a
  // vertex), the first crossing returned may lie on that segment. The crossing nearest to the
  // point is the one that names it; of equally near ones the first returned wins.
  const Crossing* nearest = &crossings.Points.front();
  double best = std::hypot(nearest->X - px, nearest->Y - py);
  for (const Crossing& c : crossings.Points) {
    const double d = std::hypot(c.X - px, c.Y - py);
    if (d < best) {
      best = d;
      nearest = &c;
    }
  }
  const double x = nearest->X;
  const double y = nearest->Y;
  const int32_t k = nearest->Seg1;
  const Segment& hit = contour.Seg(k);  // a segment index outside the contour fails here
  if (Coincide(hit.StartPt, x, y) || Coincide(hit.EndPt, x, y)) return true;

  std::vector<Segment> rebuilt;
  rebuilt.reserve(contour.Segs.size() + 1);
  for (int32_t i = 0; i < k; ++i) rebuilt.push_back(contour.Seg(i));
  Segment before = hit;
  before.EndPt.x = x;
  before.EndPt.y = y;
  RefreshPiece(before);
  Segment after = hit;
  after.StartPt.x = x;
  after.StartPt.y = y;
  RefreshPiece(after);
  rebuilt.push_back(before);
  rebuilt.push_back(after);
  for (int32_t i = k + 1; i < contour.Count(); ++i) rebuilt.push_back(contour.Seg(i));
  contour.Segs = std::move(rebuilt);
  return true;
}

void ContourBounds(GeometryServices& services, Contour& contour) {
  contour.MaxX = -kBoxStart;
  contour.MaxY = -kBoxStart;
  contour.MinX = kBoxStart;
  contour.MinY = kBoxStart;
  for (int32_t i = 0; i < contour.Count(); ++i) {
    const Segment seg = contour.Seg(i);
    Widen(contour, seg.StartPt.x, seg.StartPt.y);
    Widen(contour, seg.EndPt.x, seg.EndPt.y);
    const double cx = seg.Center.x;
    const double cy = seg.Center.y;
    const double r = seg.Radius;
    if (seg.IsCircle()) {
      Widen(contour, cx + r, cy + r);
      Widen(contour, cx - r, cy - r);
    } else if (seg.IsArc()) {
      Contour holder;
      holder.Segs.push_back(seg);
      const Contour probes[] = {
          ProbeContour(cx - 2.0 * r, cy, cx + 2.0 * r, cy, 4.0 * r, 0.0),
          ProbeContour(cx, cy - 2.0 * r, cx, cy + 2.0 * r, 4.0 * r, kPi / 2.0),
      };
      for (const Contour& probe : probes) {
        IntersectionResult crossings;
        services.Intersect(holder, probe, crossings);
        for (const Crossing& c : crossings.Points) Widen(contour, c.X, c.Y);
      }
    }
  }
}

}  // namespace sulkor
