// Merge, clip and common of two closed contours of lines and arcs.
//
// Both outlines are cut at every point they share (crossings, touches, the ends of shared
// stretches; found by the segment intersection of the contour-intersection service), and each
// piece is classified against the other outline by its middle point: on it (within 1e-7)
// running the same way or the opposite way, else inside or outside by the ray parity of the
// point-in-contour service. The pieces that bound the result are stitched into
// loops:
//   merge  (A or B):     A outside B, B outside A, shared stretches running the same way (once)
//   common (A and B):    A inside B,  B inside A,  shared stretches running the same way (once)
//   clip   (A and not B): A outside B, B inside A reversed, shared stretches running opposite
// Both outlines are taken counterclockwise for this, whatever their direction of travel.
//
// The answer:
// - ok = false and an empty list when A or B is not a closed outline of positive area, or when
//   the result is empty (common of apart contours, clip of A by a B that covers it, clip of a
//   contour by itself), or when the pieces do not close into loops.
// - Otherwise Contours[0] is the outer loop of largest area, the other loops follow by
//   decreasing area: further pieces of the result and the holes in it. Outer loops run in the
//   sense of A, holes against it. Arcs stay arcs; pieces of one input segment that the cuts did
//   not need are joined back into one segment.
// - The intersection result handed in is not read: the cut points are found again here, touches
//   and shared stretches included, which the crossing list of the intersection service leaves
//   out.
#include <algorithm>
#include <cmath>
#include <exception>

#include "contour/tolerances.h"
#include "kernel/arrangement.h"
#include "kernel/contour_services.h"
#include "kernel/curve.h"

namespace sulkor {

namespace {

using host::Arrangement;
using host::CurveSet;
using host::Curve;
using host::Path;

enum class Operation { Merge, Clip, Common };

enum class Place { Inside, Outside, SameWay, OtherWay };

// The curves of a closed contour, each starting exactly where the one before it ends, turned
// counterclockwise. Answers false for an open contour or one of no area.
bool ClosedOutline(const Contour& contour, std::vector<Curve>& curves, bool& clockwise) {
  curves.clear();
  for (const Segment& s : contour.Segs) {
    Curve c;
    if (host::CurveFromSegment(s, c)) curves.push_back(c);
  }
  if (curves.empty()) return false;
  const Curve& first = curves.front();
  const Curve& last = curves.back();
  if (std::fabs(first.X0 - last.X1) >= kClosedEps || std::fabs(first.Y0 - last.Y1) >= kClosedEps) {
    return false;
  }
  for (size_t i = 0; i < curves.size(); ++i) {
    const Curve& prev = curves[(i + curves.size() - 1) % curves.size()];
    curves[i].X0 = prev.X1;
    curves[i].Y0 = prev.Y1;
  }
  double area = 0.0;
  for (const Curve& c : curves) area += host::AreaTerm(c, first.X0, first.Y0);
  if (!std::isfinite(area) || std::fabs(area) < host::kMinLoopArea) return false;
  clockwise = area < 0.0;
  if (clockwise) {
    std::reverse(curves.begin(), curves.end());
    for (Curve& c : curves) c = host::Reversed(c);
  }
  return true;
}

Place Classify(const Curve& piece, const CurveSet& other) {
  double mx, my, tx, ty;
  host::PointAt(piece, 0.5, mx, my);
  int nearest = -1;
  host::NearestDistance(other, mx, my, host::kSharedTol, &nearest);
  if (nearest >= 0) {
    const Curve& c = other.Curves[static_cast<size_t>(nearest)];
    double ux, uy;
    host::TangentAt(c, host::NearestParam(c, mx, my), ux, uy);
    host::TangentAt(piece, 0.5, tx, ty);
    return tx * ux + ty * uy > 0.0 ? Place::SameWay : Place::OtherWay;
  }
  return host::Inside(other, mx, my) ? Place::Inside : Place::Outside;
}

bool Combine(const Contour& a, const Contour& b, Operation operation, ContourList& result) {
  result.Contours.clear();
  std::vector<Curve> ca, cb;
  bool aClockwise = false, bClockwise = false;
  if (!ClosedOutline(a, ca, aClockwise) || !ClosedOutline(b, cb, bClockwise)) return false;

  std::vector<Curve> all = ca;
  all.insert(all.end(), cb.begin(), cb.end());
  std::vector<int> groups(all.size(), 1);
  std::fill(groups.begin(), groups.begin() + static_cast<std::ptrdiff_t>(ca.size()), 0);
  const CurveSet setA(ca), setB(cb);
  std::vector<host::Shape> shapes = setA.Shapes;
  shapes.insert(shapes.end(), setB.Shapes.begin(), setB.Shapes.end());
  Arrangement arr = host::BuildArrangement(all, shapes, groups, false);

  const int na = static_cast<int>(ca.size());
  std::vector<int> chosen;
  for (size_t p = 0; p < arr.Pieces.size(); ++p) {
    host::Piece& piece = arr.Pieces[p];
    const bool fromA = piece.C.Source < na;
    const Place place = fromA ? Classify(piece.C, setB) : Classify(piece.C, setA);
    bool take = false;
    bool reverse = false;
    switch (operation) {
      case Operation::Merge:
        take = place == Place::Outside || (fromA && place == Place::SameWay);
        break;
      case Operation::Common:
        take = place == Place::Inside || (fromA && place == Place::SameWay);
        break;
      case Operation::Clip:
        take = fromA ? (place == Place::Outside || place == Place::OtherWay)
                     : place == Place::Inside;
        reverse = !fromA;
        break;
    }
    if (!take) continue;
    if (reverse) {
      piece.C = host::Reversed(piece.C);
      std::swap(piece.From, piece.To);
    }
    chosen.push_back(static_cast<int>(p));
  }

  std::vector<Path> paths = host::StitchPieces(arr, chosen, true);
  std::vector<std::pair<double, size_t>> loops;
  for (size_t i = 0; i < paths.size(); ++i) {
    const double area = host::PathArea(paths[i]);
    if (!paths[i].Closed) {
      if (host::PathLength(paths[i]) > kEps) return false;
      continue;
    }
    if (std::fabs(area) > host::kMinLoopArea) loops.emplace_back(area, i);
  }
  // The outer loop of largest area first, then the rest by decreasing size.
  std::sort(loops.begin(), loops.end(), [](const auto& p, const auto& q) {
    if ((p.first > 0.0) != (q.first > 0.0)) return p.first > 0.0;
    return std::fabs(p.first) > std::fabs(q.first);
  });
  if (loops.empty() || loops.front().first <= 0.0) return false;
  for (const auto& [area, i] : loops) {
    Path& path = paths[i];
    if (aClockwise) {
      std::reverse(path.Curves.begin(), path.Curves.end());
      for (Curve& c : path.Curves) c = host::Reversed(c);
    }
    Contour contour = host::ContourFromPath(path);
    contour.Side = a.Side;
    result.Contours.push_back(std::move(contour));
  }
  return true;
}

// Any failure inside, memory included, answers false with an empty list.
bool GuardedCombine(const Contour& a, const Contour& b, Operation operation,
                    ContourList& result) {
  try {
    return Combine(a, b, operation, result);
  } catch (const std::exception&) {
    result.Contours.clear();
    return false;
  }
}

}  // namespace

bool MergeContours(const Contour& a, const Contour& b, const IntersectionResult& /*ab*/,
                   ContourList& result) {
  return GuardedCombine(a, b, Operation::Merge, result);
}

bool ClipContours(const Contour& a, const Contour& b, const IntersectionResult& /*ab*/,
                  ContourList& result) {
  return GuardedCombine(a, b, Operation::Clip, result);
}

bool CommonContours(const Contour& a, const Contour& b, const IntersectionResult& /*ab*/,
                    ContourList& result) {
  return GuardedCombine(a, b, Operation::Common, result);
}

}  // namespace sulkor
