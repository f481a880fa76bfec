// One-sided offset of an open chain or a closed contour of lines and arcs, mode "Single".
//
// Which side. The offset lies on the left of the direction of travel when the sign
//   +1 for "Internal", -1 for "External",
//   turned when the contour is closed, runs clockwise and bit 0 of the flag is clear,
//   turned when the contour's Side field is negative,
//   turned when the distance is negative
// is +1, and on the right when it is -1. So:
// - with flag 0 a closed contour is offset inwards for "Internal" and outwards for "External",
//   whichever way it runs;
// - an open chain (or a closed contour with flag 1) is offset to the left for "Internal" and to
//   the right for "External": a piece of a counterclockwise outline, offset "External", moves
//   out of it;
// - a Side of -1 gives the other side than a Side of +1 or 0 with the same arguments, always.
//
// How. Every segment is offset on its own: a line moves sideways, an arc becomes the concentric
// arc, or vanishes when its radius would come to zero or below. Consecutive offsets are joined
// around a convex corner by an arc about the corner, and through the corner itself at a concave
// one. The curves so made are cut wherever they meet, and every piece whose middle lies closer
// to the source than the distance is dropped: this trims the concave corners and every loop the
// raw offset makes, local or global. At the open ends of a chain, circles of radius d around
// the end points cut the raw offset too, so that what passes nearer to an end is dropped as
// well. The pieces that remain are stitched in order of travel.
//
// The answer:
// - ok = false with an empty list for a mode other than "Single", a side text other than
//   "Internal" or "External", a distance that is not a finite number, a contour of no segments,
//   or an offset that vanishes entirely (a closed contour offset inwards by more than it holds).
// - A distance below 1e-6 (the geometry's tolerance) gives the contour itself as Contours[0].
// - A closed contour gives closed loops: Contours[0] is the one of largest area, the others
//   (more islands of an inward offset, holes of an outward one) follow by decreasing area.
// - An open chain gives chains: Contours[0] is the longest, the pieces that the trimming cut off
//   from it (rare) follow by decreasing length.
// - Every result runs in the direction of the source and keeps its Side field.
#include <algorithm>
#include <cmath>
#include <exception>
#include <numbers>

#include "contour/tolerances.h"
#include "kernel/arrangement.h"
#include "kernel/contour_services.h"
#include "kernel/curve.h"

namespace sulkor {

namespace {

using host::Curve;
using host::Path;

constexpr std::string_view kModeSingle = "Single";
constexpr std::string_view kSideInternal = "Internal";
constexpr std::string_view kSideExternal = "External";

// A piece counts as far enough from the source when its middle lies no nearer than this below
// the distance.
constexpr double kKeepTol = host::kNodeTol;

// The point at distance d from the end (t = 1) or the start (t = 0) of c, on side `sign`.
void OffsetPoint(const Curve& c, double t, double sign, double d, double& x, double& y) {
  double tx, ty;
  host::TangentAt(c, t, tx, ty);
  const double px = t < 0.5 ? c.X0 : c.X1;
  const double py = t < 0.5 ? c.Y0 : c.Y1;
  x = px - sign * d * ty;
  y = py + sign * d * tx;
}

// The raw offset of every curve, and the joins between consecutive ones.
std::vector<Curve> RawOffset(const std::vector<Curve>& source, bool closed, double sign,
                             double d) {
  std::vector<Curve> raw;
  const size_t n = source.size();
  raw.reserve(3 * n);
  for (size_t i = 0; i < n; ++i) {
    const Curve& c = source[i];
    double sx, sy, ex, ey;
    OffsetPoint(c, 0.0, sign, d, sx, sy);
    OffsetPoint(c, 1.0, sign, d, ex, ey);
    if (!c.Arc) {
      raw.push_back(host::LineCurve(sx, sy, ex, ey));
    } else {
      const double radius = c.R - sign * (c.Sweep > 0.0 ? 1.0 : -1.0) * d;
      if (radius > host::kNodeTol) {
        Curve o = c;
        o.R = radius;
        o.X0 = sx;
        o.Y0 = sy;
        o.X1 = ex;
        o.Y1 = ey;
        raw.push_back(o);
      } else {
        // The arc vanishes: its place is taken by the way through the arc itself, which lies
        // too near the source to survive and only keeps the raw offset in one piece.
        raw.push_back(host::LineCurve(sx, sy, c.X0, c.Y0));
        raw.push_back(c);
        raw.push_back(host::LineCurve(c.X1, c.Y1, ex, ey));
      }
    }
    if (i + 1 == n && !closed) break;
    const Curve& next = source[(i + 1) % n];
    double ix, iy, ox, oy, tx, ty, ux, uy;
    OffsetPoint(next, 0.0, sign, d, ox, oy);
    ix = ex;
    iy = ey;
    if (std::hypot(ox - ix, oy - iy) < host::kNodeTol) continue;
    host::TangentAt(c, 1.0, tx, ty);
    host::TangentAt(next, 0.0, ux, uy);
    const double turn = std::atan2(tx * uy - ty * ux, tx * ux + ty * uy);
    const double px = c.X1, py = c.Y1;
    const bool reversal = std::fabs(std::fabs(turn) - std::numbers::pi) < host::kReversalTol;
    if (reversal || sign * turn < 0.0) {
      // Convex: round the corner at distance d.
      const double a0 = std::atan2(iy - py, ix - px);
      const double sweep = reversal ? -sign * std::numbers::pi : turn;
      Curve join = host::ArcCurve(px, py, d, a0, sweep);
      join.X0 = ix;
      join.Y0 = iy;
      join.X1 = ox;
      join.Y1 = oy;
      raw.push_back(join);
    } else {
      raw.push_back(host::LineCurve(ix, iy, px, py));
      raw.push_back(host::LineCurve(px, py, ox, oy));
    }
  }
  return raw;
}

bool Offset(const Contour& contour, std::string_view side, double distance, std::string_view mode,
            int16_t flag, ContourList& result) {
  result.Contours.clear();
  if (mode != kModeSingle) return false;
  double sign;
  if (side == kSideInternal) {
    sign = 1.0;
  } else if (side == kSideExternal) {
    sign = -1.0;
  } else {
    return false;
  }
  if (!std::isfinite(distance) || contour.Empty()) return false;

  std::vector<Curve> source;
  for (const Segment& s : contour.Segs) {
    Curve c;
    if (host::CurveFromSegment(s, c)) source.push_back(c);
  }
  if (source.empty()) return false;
  for (size_t i = 1; i < source.size(); ++i) {
    source[i].X0 = source[i - 1].X1;
    source[i].Y0 = source[i - 1].Y1;
  }
  const bool closed = std::fabs(source.front().X0 - source.back().X1) < kClosedEps &&
                      std::fabs(source.front().Y0 - source.back().Y1) < kClosedEps;
  double area = 0.0;
  if (closed) {
    source.front().X0 = source.back().X1;
    source.front().Y0 = source.back().Y1;
    for (const Curve& c : source) area += host::AreaTerm(c);
    if ((flag & 1) == 0 && area < 0.0) sign = -sign;
  }
  if (contour.Side < 0) sign = -sign;
  if (distance < 0.0) sign = -sign;
  const double d = std::fabs(distance);
  if (d < kEps) {
    result.Contours.push_back(contour);
    return true;
  }
  for (size_t i = 0; i < source.size(); ++i) source[i].Source = static_cast<int>(i);

  std::vector<Curve> raw = RawOffset(source, closed, sign, d);
  for (size_t i = 0; i < raw.size(); ++i) raw[i].Source = static_cast<int>(i);
  // The open ends of a chain: the circles of radius d around them only cut the raw offset where
  // it comes nearer than d to an end; none of their pieces belongs to the offset.
  const int cutters = static_cast<int>(raw.size());
  if (!closed) {
    for (const auto& [x, y] : {std::pair{source.front().X0, source.front().Y0},
                               std::pair{source.back().X1, source.back().Y1}}) {
      raw.push_back(host::ArcCurve(x, y, d, 0.0, 2.0 * std::numbers::pi));
      raw.back().Source = static_cast<int>(raw.size()) - 1;
    }
  }
  const host::Arrangement arr =
      host::BuildArrangement(raw, std::vector<int>(raw.size(), 0), true);

  const host::CurveSet near(source);
  std::vector<int> chosen;
  for (size_t p = 0; p < arr.Pieces.size(); ++p) {
    if (arr.Pieces[p].C.Source >= cutters) continue;
    double mx, my;
    host::PointAt(arr.Pieces[p].C, 0.5, mx, my);
    if (host::NearestDistance(near, mx, my, d) >= d - kKeepTol) {
      chosen.push_back(static_cast<int>(p));
    }
  }

  std::vector<Path> paths = host::StitchPieces(arr, chosen, sign > 0.0);
  std::vector<std::pair<double, size_t>> order;  // size, path
  for (size_t i = 0; i < paths.size(); ++i) {
    const double length = host::PathLength(paths[i]);
    if (length < kEps) continue;
    if (closed) {
      const double a = host::PathArea(paths[i]);
      if (paths[i].Closed && std::fabs(a) > host::kMinLoopArea) order.emplace_back(std::fabs(a), i);
    } else {
      order.emplace_back(length, i);
    }
  }
  if (order.empty()) return false;
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& p, const auto& q) { return p.first > q.first; });
  for (const auto& [size, i] : order) {
    Contour c = host::ContourFromPath(paths[i]);
    c.Side = contour.Side;
    result.Contours.push_back(std::move(c));
  }
  return true;
}

}  // namespace

bool OffsetContour(const Contour& contour, std::string_view side, double distance,
                   std::string_view mode, int16_t flag, ContourList& result) {
  try {
    return Offset(contour, side, distance, mode, flag, result);
  } catch (const std::exception&) {
    result.Contours.clear();
    return false;
  }
}

}  // namespace sulkor
