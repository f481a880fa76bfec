#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "kernel/contour_services.h"
#include "kernel/kernel_tolerances.h"
#include "kernel/ray_parity.h"

// The point-in-contour service.
//
// Answer. kOnOutline when the point lies within tol of a segment, else kInside or kOutside by
// the parity of the crossings of the ray from the point towards +x with the outline (even-odd
// rule). tol = 1e-9 drawing units wherever the point lies (host::OnTolAt): far below the 1e-4 of
// the operation's test points, and far above the rounding of the distance computation; it
// grows with the coordinates only beyond about 5e5, where that rounding comes near it.
//
// The outline. The segments in order, each from its StartPt to its EndPt; wherever a segment
// does not end exactly where the next one starts, a straight line joins the two. So a contour
// that is not closed is taken as closed by the chord from its last end point back to its first
// start point, and points on that chord are on the outline. A "Circle", and an arc whose ends
// agree within 1e-6 and whose Length exceeds half a turn, is a full turn. A segment of
// another kind counts as the line between its ends. An empty contour has no inside: kOutside.
//
// Crossings. A crossing is counted where the outline passes from "y <= py" to "y > py" or back
// (half-open), to the right of the point. Arcs are cut at their top and bottom points into
// pieces along which y only rises or only falls; a piece counts like a line between its ends,
// and its crossing lies on the circle, on the right half for a counterclockwise piece that
// rises and on the left half for one that falls. A ray through a vertex therefore counts the
// vertex once or not at all, by the same y values on both of its segments, and a ray along a
// horizontal line or tangent to an arc's top counts nothing there.

namespace sulkor::host {
namespace {

double Cross(double ax, double ay, double bx, double by) { return ax * by - ay * bx; }

// Whether direction q lies in the counterclockwise sweep from s to e, ends included.
bool InCcwSweep(double sx, double sy, double ex, double ey, double qx, double qy) {
  const double se = Cross(sx, sy, ex, ey);
  if (se > 0.0) return Cross(sx, sy, qx, qy) >= 0.0 && Cross(qx, qy, ex, ey) >= 0.0;
  if (se < 0.0) return !(Cross(ex, ey, qx, qy) > 0.0 && Cross(qx, qy, sx, sy) > 0.0);
  if (sx * ex + sy * ey > 0.0) return sx * qx + sy * qy > 0.0 && Cross(sx, sy, qx, qy) == 0.0;
  return Cross(sx, sy, qx, qy) >= 0.0;
}

// A monotone stand-in for the angle of (dx, dy), in [0, 4): 0, 1, 2, 3 on the axes +x, +y,
// -x, -y.
double PseudoAngle(double dx, double dy) {
  if (dx == 0.0 && dy == 0.0) return 0.0;
  if (dy >= 0.0) return dx >= 0.0 ? dy / (dx + dy) : 1.0 - dx / (dy - dx);
  return dx < 0.0 ? 2.0 - dy / (-dx - dy) : 3.0 + dx / (dx - dy);
}

// A pseudo-angle difference brought into [0, 4).
double Wrap4(double v) { return v < 0.0 ? v + 4.0 : v >= 4.0 ? v - 4.0 : v; }

double Dist2(double dx, double dy) { return dx * dx + dy * dy; }

}  // namespace

void RayParity::AddLine(double x1, double y1, double x2, double y2) {
  const double tol = tol_;
  if ((y1 > py_ + tol && y2 > py_ + tol) || (y1 < py_ - tol && y2 < py_ - tol)) return;
  if (x1 < px_ - tol && x2 < px_ - tol) return;
  // On the segment?
  const double dx = x2 - x1;
  const double dy = y2 - y1;
  const double len2 = dx * dx + dy * dy;
  double t = len2 > 0.0 ? ((px_ - x1) * dx + (py_ - y1) * dy) / len2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  const double ox = x1 + t * dx - px_;
  const double oy = y1 + t * dy - py_;
  if (ox * ox + oy * oy <= tol * tol) {
    on_ = true;
    return;
  }
  if ((y1 > py_) != (y2 > py_)) {
    const double x = x1 + (py_ - y1) * dx / dy;
    if (x > px_) odd_ = !odd_;
  }
}

// One piece of an arc along which y only rises or only falls, counterclockwise from a to b.
void RayParity::AddArcPiece(double cx, double cy, double r, double ay, double by) {
  if ((ay > py_) == (by > py_)) return;
  const double dy = py_ - cy;
  const double w = std::sqrt(std::max(0.0, r * r - dy * dy));
  const double x = by > ay ? cx + w : cx - w;
  if (x > px_) odd_ = !odd_;
}

void RayParity::AddArc(double cx, double cy, double r, double sx, double sy, double ex,
                       double ey, bool ccw, bool full) {
  const double tol = tol_;
  if (py_ > cy + r + tol || py_ < cy - r - tol || cx + r < px_ - tol) return;
  // Counterclockwise from (sx, sy) to (ex, ey).
  if (!ccw) {
    std::swap(sx, ex);
    std::swap(sy, ey);
  }

  // On the arc? (|d - r| <= tol, compared in squares)
  const double vx = px_ - cx;
  const double vy = py_ - cy;
  const double d2 = Dist2(vx, vy);
  const double inner = std::max(0.0, r - tol);
  if (d2 >= inner * inner && d2 <= (r + tol) * (r + tol) &&
      (full || InCcwSweep(sx - cx, sy - cy, ex - cx, ey - cy, vx, vy))) {
    on_ = true;
    return;
  }
  if (Dist2(px_ - sx, py_ - sy) <= tol * tol || Dist2(px_ - ex, py_ - ey) <= tol * tol) {
    on_ = true;
    return;
  }

  // Pieces between the start, the top and bottom points strictly inside the sweep, and the
  // end. Positions on the circle are measured by a pseudo-angle, exact at the four axes.
  const double ps = PseudoAngle(sx - cx, sy - cy);
  const double span = full ? 4.0 : Wrap4(PseudoAngle(ex - cx, ey - cy) - ps);
  const double toTop = Wrap4(1.0 - ps);
  const double toBottom = Wrap4(3.0 - ps);
  const bool topIn = toTop > 0.0 && toTop < span;
  const bool bottomIn = toBottom > 0.0 && toBottom < span;
  double lastY = sy;
  const double topY = cy + r;
  const double bottomY = cy - r;
  if (topIn && (!bottomIn || toTop < toBottom)) {
    AddArcPiece(cx, cy, r, lastY, topY);
    lastY = topY;
    if (bottomIn) {
      AddArcPiece(cx, cy, r, lastY, bottomY);
      lastY = bottomY;
    }
  } else if (bottomIn) {
    AddArcPiece(cx, cy, r, lastY, bottomY);
    lastY = bottomY;
    if (topIn) {
      AddArcPiece(cx, cy, r, lastY, topY);
      lastY = topY;
    }
  }
  AddArcPiece(cx, cy, r, lastY, ey);
}

}  // namespace sulkor::host

namespace sulkor {
namespace {

void AddSegment(host::RayParity& q, const Segment& seg) {
  if (seg.IsArc() || seg.IsCircle()) {
    const double cx = seg.Center.x;
    const double cy = seg.Center.y;
    double r = std::fabs(seg.Radius);
    if (r == 0.0) r = std::hypot(seg.StartPt.x - cx, seg.StartPt.y - cy);
    const double chordX = seg.EndPt.x - seg.StartPt.x, chordY = seg.EndPt.y - seg.StartPt.y;
    const bool full = seg.IsCircle() || (chordX * chordX + chordY * chordY < kEps * kEps &&
                                          seg.Length > std::numbers::pi * r);
    q.AddArc(cx, cy, r, seg.StartPt.x, seg.StartPt.y, seg.EndPt.x, seg.EndPt.y,
             seg.Direction == 1, full);
  } else {
    q.AddLine(seg.StartPt.x, seg.StartPt.y, seg.EndPt.x, seg.EndPt.y);
  }
}

// Whether a segment lies wholly above, below or left of the point by more than tol: it then
// neither crosses the ray towards +x nor holds the point. Decided from the ends of a line and
// the circle of an arc before any arc arithmetic.
bool OffTheRay(const Segment& seg, double x, double y, double tol) {
  if (seg.IsArc() || seg.IsCircle()) {
    const double r = std::fabs(seg.Radius);
    return r > 0.0 && (y > seg.Center.y + r + tol || y < seg.Center.y - r - tol ||
                       x > seg.Center.x + r + tol);
  }
  return (seg.StartPt.y > y + tol && seg.EndPt.y > y + tol) ||
         (seg.StartPt.y < y - tol && seg.EndPt.y < y - tol) ||
         (seg.StartPt.x < x - tol && seg.EndPt.x < x - tol);
}

}  // namespace

int16_t LocatePoint(const Contour& contour, double x, double y) {
  const int32_t n = contour.Count();
  if (n == 0) return kOutside;
  const double tol = host::OnTolAt(x, y);
  host::RayParity q(x, y, tol);
  for (int32_t k = 0; k < n; ++k) {
    const Segment& seg = contour.Segs[static_cast<size_t>(k)];
    if (!OffTheRay(seg, x, y, tol)) AddSegment(q, seg);
    const Segment& next = contour.Segs[static_cast<size_t>(k + 1 < n ? k + 1 : 0)];
    if (seg.EndPt.x != next.StartPt.x || seg.EndPt.y != next.StartPt.y) {
      q.AddLine(seg.EndPt.x, seg.EndPt.y, next.StartPt.x, next.StartPt.y);
    }
    if (q.On()) return kOnOutline;
  }
  return q.Odd() ? kInside : kOutside;
}

}  // namespace sulkor
