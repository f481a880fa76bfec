#include "toolpath/machining_check.h"

// Boost.Geometry's envelope code trips GCC's maybe-uninitialized analysis in its own headers
// (a false positive at -O2); the warning is off for this file only.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <algorithm>
#include <boost/geometry.hpp>
#include <boost/geometry/geometries/linestring.hpp>
#include <boost/geometry/geometries/multi_point.hpp>
#include <boost/geometry/geometries/multi_polygon.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>
#include <cmath>

#include <limits>
#include <numbers>
#include "operation/work_frame.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint, false, true>;  // counterclockwise, closed
using BMulti = bg::model::multi_polygon<BPolygon>;
using BLine = bg::model::linestring<BPoint>;
using BPoints = bg::model::multi_point<BPoint>;

constexpr double kPiD = std::numbers::pi;
// Overlaps of less area than this are the rounding of touching outlines, not material.
constexpr double kAreaNoise = 1e-12;

// The angle step whose chord on a circle of radius r has a sagitta of at most tol.
double ChordAngle(double r, double tol) {
  if (r <= tol) return kPiD / 2.0;
  return std::min(kPiD / 8.0, 2.0 * std::acos(1.0 - tol / r));
}

// The points of an arc after its start, up to and including its end.
void ArcPoints(double cx, double cy, double r, double a0, double sweep, double tol,
               std::vector<BPoint>& out) {
  const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / ChordAngle(r, tol))));
  for (int k = 1; k <= n; ++k) {
    const double a = a0 + sweep * k / n;
    out.emplace_back(cx + r * std::cos(a), cy + r * std::sin(a));
  }
}

// The signed angle an arc segment turns through, from its centre, ends and direction.
double ArcSweep(const Segment& s, double& a0) {
  a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
  const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
  const double full = 2.0 * kPiD;
  double sweep = s.Direction == 1 ? std::fmod(a1 - a0 + 2.0 * full, full)
                                  : -std::fmod(a0 - a1 + 2.0 * full, full);
  if (s.IsCircle() || std::fabs(sweep) < 1e-12) sweep = s.Direction == 1 ? full : -full;
  return sweep;
}

// The points of a segment after its start, up to and including its end.
void SegmentPoints(const Segment& s, double tol, std::vector<BPoint>& out) {
  if (s.IsArc() || s.IsCircle()) {
    double a0 = 0.0;
    const double sweep = ArcSweep(s, a0);
    const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
    ArcPoints(s.Center.x, s.Center.y, r, a0, sweep, tol, out);
    out.back() = BPoint(s.EndPt.x, s.EndPt.y);
  } else {
    out.emplace_back(s.EndPt.x, s.EndPt.y);
  }
}

BMulti Area(const Contour& contour, double tol) {
  BPolygon polygon;
  if (contour.Empty()) return {};
  std::vector<BPoint> points{BPoint(contour.First().StartPt.x, contour.First().StartPt.y)};
  for (const Segment& s : contour.Segs) SegmentPoints(s, tol, points);
  points.back() = points.front();
  bg::assign_points(polygon, points);
  bg::correct(polygon);
  BMulti result;
  // A closed outline that touches itself is split into simple pieces.
  if (bg::is_valid(polygon)) {
    result.push_back(polygon);
  } else {
    bg::union_(polygon, BPolygon{}, result);
  }
  return result;
}

// The insert's outline in its own frame (u across, v against the plunge), counterclockwise.
std::vector<BPoint> InsertOutline(const InsertShape& insert, double tol) {
  const double r = insert.cornerRadius;
  const double s = insert.width - 2.0 * r;
  const double l = insert.bodyLength;
  std::vector<BPoint> pts;
  pts.emplace_back(-r, l);
  pts.emplace_back(-r, 0.0);
  if (r > 0.0) {
    ArcPoints(0.0, 0.0, r, kPiD, kPiD / 2.0, tol, pts);
  }
  pts.emplace_back(s, -r);
  if (r > 0.0) {
    ArcPoints(s, 0.0, r, 1.5 * kPiD, kPiD / 2.0, tol, pts);
  }
  pts.emplace_back(s + r, l);
  return pts;
}

// Places the frame point (u, v) for a reference point in the drawing.
BPoint Place(WorkKind kind, const BPoint& ref, const BPoint& uv) {
  const Point3 d = WorkFrame(kind).ToDrawing(Point3{uv.x(), uv.y(), 0.0});
  return {ref.x() + d.x, ref.y() + d.y};
}

// The area the insert sweeps moving straight from a to b: the outline at b on the side the
// move heads to, the outline at a on the side it leaves, joined where the outline's extent
// across the move is greatest and least. The outline is convex; placed in the drawing it turns
// counterclockwise (`outline`, already placed around the origin).
BPolygon SweepLine(const std::vector<BPoint>& outline, const BPoint& a, const BPoint& b,
                   double tol) {
  const double dx = b.x() - a.x();
  const double dy = b.y() - a.y();
  const size_t n = outline.size();
  std::vector<BPoint> ring;
  ring.reserve(n + 3);
  if (std::hypot(dx, dy) <= 0.1 * tol) {
    for (const BPoint& p : outline) ring.emplace_back(a.x() + p.x(), a.y() + p.y());
  } else {
    // The extent across the move; points within rounding of the extreme count as extreme.
    std::vector<double> across(n);
    double lo = 0.0;
    double hi = 0.0;
    for (size_t i = 0; i < n; ++i) {
      across[i] = (dx * outline[i].y() - dy * outline[i].x()) / std::hypot(dx, dy);
      lo = i == 0 ? across[i] : std::min(lo, across[i]);
      hi = i == 0 ? across[i] : std::max(hi, across[i]);
    }
    const double eps = 1e-9 * std::max(1.0, hi - lo);
    const auto atHi = [&](size_t i) { return across[i] >= hi - eps; };
    const auto atLo = [&](size_t i) { return across[i] <= lo + eps; };
    // Counterclockwise, the outline runs from its lowest extent to its highest on the side the
    // move heads to, and back on the side it leaves. The joins take the last of a run of
    // extreme points on one side and the first on the other, so no point of an outline lies on
    // the straight join between them.
    size_t first = 0;
    while (!atLo(first)) ++first;
    while (atLo((first + n - 1) % n) && (first + n - 1) % n != first) first = (first + n - 1) % n;
    size_t i = first;
    while (atLo((i + 1) % n) && (i + 1) % n != first) i = (i + 1) % n;  // the last low point
    while (true) {  // ahead: from the last low point to the first high point, at b
      ring.emplace_back(b.x() + outline[i].x(), b.y() + outline[i].y());
      if (atHi(i)) break;
      i = (i + 1) % n;
    }
    while (atHi((i + 1) % n)) i = (i + 1) % n;  // the last high point
    while (true) {  // behind: from the last high point to the first low point, at a
      ring.emplace_back(a.x() + outline[i].x(), a.y() + outline[i].y());
      if (atLo(i)) break;
      i = (i + 1) % n;
    }
  }
  ring.push_back(ring.front());
  BPolygon hull;
  bg::assign_points(hull, ring);
  // Points that lie within rounding of an edge make the polygon library's overlays fail; a
  // tenth of the chord tolerance changes nothing the check measures.
  BPolygon simple;
  bg::simplify(hull, simple, 0.1 * tol);
  bg::correct(simple);
  return simple;
}

// The insert's outline placed in the drawing around the origin, counterclockwise.
std::vector<BPoint> PlacedOutline(const InsertShape& insert, double tol) {
  std::vector<BPoint> placed;
  for (const BPoint& p : InsertOutline(insert, tol)) {
    placed.push_back(Place(insert.kind, BPoint(0.0, 0.0), p));
  }
  double twiceArea = 0.0;
  for (size_t i = 0; i < placed.size(); ++i) {
    const BPoint& p = placed[i];
    const BPoint& q = placed[(i + 1) % placed.size()];
    twiceArea += p.x() * q.y() - q.x() * p.y();
  }
  // The bore and the front face place the outline mirrored.
  if (twiceArea < 0.0) std::reverse(placed.begin(), placed.end());
  return placed;
}

// The pieces a move sweeps: one per straight move, one per chord of an arc move.
std::vector<BPolygon> Sweep(const std::vector<BPoint>& outline, const Segment& move, double tol) {
  std::vector<BPoint> points{BPoint(move.StartPt.x, move.StartPt.y)};
  SegmentPoints(move, tol, points);
  std::vector<BPolygon> pieces;
  for (size_t i = 0; i + 1 < points.size(); ++i) {
    pieces.push_back(SweepLine(outline, points[i], points[i + 1], tol));
  }
  return pieces;
}

std::vector<BLine> Boundary(const BMulti& area) {
  std::vector<BLine> lines;
  const auto add = [&](const auto& ring) {
    BLine line(ring.begin(), ring.end());
    lines.push_back(std::move(line));
  };
  for (const BPolygon& p : area) {
    add(p.outer());
    for (const auto& inner : p.inners()) add(inner);
  }
  return lines;
}

double DistanceToBoundary(const BPoint& p, const std::vector<BLine>& boundary) {
  double best = std::numeric_limits<double>::infinity();
  for (const BLine& line : boundary) best = std::min(best, bg::distance(p, line));
  return best;
}

// Whether a vertex of an overlap of a swept piece with a solid belongs to their overlap.
// Boost.Geometry's intersection can answer with a wrong ring when an edge of the piece runs
// along an edge of the solid within the chord tolerance (a piece that leaves the part through
// the face, counted whole as inside the part); a vertex farther than `slack` from the piece or
// from the solid is no point of the overlap and would report a cut that no move makes.
bool InOverlap(const BPoint& v, const BPolygon& piece, const BMulti& solid, double slack) {
  return bg::distance(v, piece) <= slack && bg::distance(v, solid) <= slack;
}

// How far the overlap of a swept piece with a solid reaches into the solid: the largest
// distance from the solid's boundary of the overlap's vertices and, for an overlap of some
// area, of a grid of 9 by 9 points over it. The vertices find the depth of a cut into a wall
// (the insert's corner is a vertex); the grid that of a cut across a protrusion, whose overlap
// has all its vertices on the solid's boundary.
template <class DistanceToOutline>
double Depth(const BMulti& overlap, const BPolygon& piece, const BMulti& solid,
             const DistanceToOutline& distanceToOutline, double slack) {
  double depth = 0.0;
  for (const BPolygon& p : overlap) {
    for (const BPoint& v : p.outer()) {
      if (!InOverlap(v, piece, solid, slack)) continue;
      depth = std::max(depth, distanceToOutline(v));
    }
    if (bg::area(p) < slack * slack) continue;
    bg::model::box<BPoint> box;
    bg::envelope(p, box);
    constexpr int kGrid = 9;
    for (int i = 1; i <= kGrid; ++i) {
      for (int j = 1; j <= kGrid; ++j) {
        const BPoint q(box.min_corner().x() +
                           (box.max_corner().x() - box.min_corner().x()) * i / (kGrid + 1),
                       box.min_corner().y() +
                           (box.max_corner().y() - box.min_corner().y()) * j / (kGrid + 1));
        if (!bg::within(q, p) || !InOverlap(q, piece, solid, slack)) continue;
        depth = std::max(depth, distanceToOutline(q));
      }
    }
  }
  return depth;
}

// The stock less a swept piece. Boost.Geometry's difference can answer with nothing at all when
// an edge of the piece lies along an edge of the stock (the tip riding on the stock's surface):
// an answer that lost more than the piece's area is taken again with the piece moved by a
// fraction of the chord tolerance, within the error bound that the report states.
BMulti Subtract(const BMulti& stock, const BPolygon& piece, double tol) {
  const double least = bg::area(stock) - bg::area(piece);
  const double slack = 1e-6 * std::max(1.0, bg::area(stock));
  // Moves of the piece, in chord tolerances, tried in turn.
  constexpr double kShifts[][2] = {{0, 0}, {0.06, 0.08}, {-0.08, 0.06}, {0.3, -0.4}, {-0.4, -0.3}};
  for (const auto& shift : kShifts) {
    BPolygon moved = piece;
    for (BPoint& p : moved.outer()) p = BPoint(p.x() + shift[0] * tol, p.y() + shift[1] * tol);
    BMulti rest;
    bg::difference(stock, moved, rest);
    if (bg::area(rest) >= least - slack) return rest;
  }
  throw GeometryError("the machining check could not subtract a swept piece from the stock");
}

}  // namespace

namespace {

MachiningReport Measure(const MachiningCheckInput& input) {
  if (!input.toolPath || !input.blank || !input.finishedPart || !input.regionToMachine) {
    throw GeometryError("the machining check needs the path and three contours");
  }
  if (!(input.insert.width > 0.0) || !(input.tolerance > 0.0)) {
    throw GeometryError("the machining check needs a tool width and a tolerance");
  }
  const double tol = input.tolerance;
  MachiningReport report;
  report.errorBound = 3.0 * tol;

  const std::vector<BPoint> outline = PlacedOutline(input.insert, tol);
  const BMulti part = Area(*input.finishedPart, tol);
  const std::vector<BLine> partBoundary = Boundary(part);
  BMulti stock = Area(*input.blank, tol);
  BMulti gouged;  // the part that moves reaching deeper than the error bound swept

  struct Piece {
    int32_t move;
    BPolygon area;
    bg::model::box<BPoint> box;
  };
  std::vector<Piece> pieces;
  for (int32_t i = 0; i < input.toolPath->Count(); ++i) {
    const Segment& move = input.toolPath->Seg(i);
    if (!move.IsLine() && !move.IsArc()) continue;
    for (BPolygon& area : Sweep(outline, move, tol)) {
      bg::model::box<BPoint> box;
      bg::envelope(area, box);
      pieces.push_back({i, std::move(area), box});
    }
  }
  const BMulti blank = stock;
  const std::vector<BLine> blankBoundary = Boundary(blank);
  // Depths into the stock are read up to this distance from a positioning piece; what lies
  // farther is deeper than any depth that counts.
  const double reach = input.insert.width + 1.0;

  // What a positioning piece meets of the stock as it stands before it: the whole stock is
  // kept and pieces are taken off it as they go when the stock's figures are wanted; otherwise
  // the piece's overlap with the blank loses the earlier pieces near it, which is the same
  // overlap and the same depths, at a fraction of the cost.
  const auto standingStock = [&](size_t k, BMulti& overlap) -> double {
    const Piece& piece = pieces[k];
    if (input.measureStock) {
      bg::intersection(piece.area, stock, overlap);
      if (bg::area(overlap) <= kAreaNoise) return 0.0;
      return Depth(overlap, piece.area, stock,
                   [&, outline = Boundary(stock)](const BPoint& q) {
                     return DistanceToBoundary(q, outline);
                   },
                   report.errorBound);
    }
    bg::intersection(piece.area, blank, overlap);
    if (bg::area(overlap) <= kAreaNoise) return 0.0;
    // The latest pieces are the likeliest to have cleared the way: they go first, and the
    // overlap is given up as soon as nothing of it is left.
    bg::model::box<BPoint> left;
    bg::envelope(overlap, left);
    for (size_t e = k; e-- > 0;) {
      if (!bg::intersects(pieces[e].box, left)) continue;
      overlap = Subtract(overlap, pieces[e].area, tol);
      if (bg::area(overlap) <= kAreaNoise) return 0.0;
      bg::envelope(overlap, left);
    }
    bg::model::box<BPoint> near = left;
    near.min_corner() = BPoint(near.min_corner().x() - reach, near.min_corner().y() - reach);
    near.max_corner() = BPoint(near.max_corner().x() + reach, near.max_corner().y() + reach);
    std::vector<const BPolygon*> earlier;
    for (size_t e = 0; e < k; ++e) {
      if (bg::intersects(pieces[e].box, near)) earlier.push_back(&pieces[e].area);
    }
    return Depth(overlap, piece.area, blank,
                 [&](const BPoint& q) {
                   double best = DistanceToBoundary(q, blankBoundary);
                   for (const BPolygon* p : earlier) best = std::min(best, bg::distance(q, *p));
                   return best;
                 },
                 report.errorBound);
  };

  for (size_t k = 0; k < pieces.size(); ++k) {
    const Piece& piece = pieces[k];
    const int32_t i = piece.move;
    BMulti intoPart;
    bg::intersection(piece.area, part, intoPart);
    if (bg::area(intoPart) > kAreaNoise) {
      const double depth =
          Depth(intoPart, piece.area, part,
                [&](const BPoint& q) { return DistanceToBoundary(q, partBoundary); },
                report.errorBound);
      if (depth > report.gougeDepth) {
        report.gougeDepth = depth;
        report.gougeMove = i;
      }
      if (depth > report.errorBound) {
        BMulti more;
        bg::union_(gouged, intoPart, more);
        gouged = std::move(more);
      }
    }
    if (input.toolPath->Seg(i).MoveType == 0) {
      BMulti intoStock;
      const double depth = standingStock(k, intoStock);
      if (depth > report.errorBound) {
        if (report.positioningHits.empty() || report.positioningHits.back().move != i) {
          report.positioningHits.push_back({i, 0.0, 0.0});
        }
        PositioningHit& hit = report.positioningHits.back();
        hit.depth = std::max(hit.depth, depth);
        hit.area += bg::area(intoStock);
      }
    }
    if (input.measureStock) stock = Subtract(stock, piece.area, tol);
  }

  report.gougeArea = bg::area(gouged);
  if (!input.measureStock) return report;
  report.stockLeftArea = bg::area(stock);

  const BMulti region = Area(*input.regionToMachine, tol);
  BMulti uncut;
  bg::intersection(stock, region, uncut);
  report.uncutArea = bg::area(uncut);
  for (const BPolygon& p : uncut) {
    std::vector<std::array<double, 2>> ring;
    for (const BPoint& v : p.outer()) {
      report.uncutDepth = std::max(report.uncutDepth, bg::distance(v, part));
      ring.push_back({v.x(), v.y()});
    }
    report.uncutOutlines.push_back(std::move(ring));
  }

  // What lies farther from the finished part than the allowance (and the error bound).
  const double margin = std::max(input.allowance, 0.0) + report.errorBound;
  BMulti near;
  bg::buffer(part, near, bg::strategy::buffer::distance_symmetric<double>(margin),
             bg::strategy::buffer::side_straight(), bg::strategy::buffer::join_round(360),
             bg::strategy::buffer::end_round(360), bg::strategy::buffer::point_circle(360));
  BMulti beyond;
  bg::difference(uncut, near, beyond);
  report.uncutBeyondAllowance = bg::area(beyond);
  return report;
}

}  // namespace

MachiningReport CheckMachining(const MachiningCheckInput& input) {
  try {
    return Measure(input);
  } catch (const GeometryError&) {
    throw;
  } catch (const std::exception& e) {
    // The polygon library reports the outlines it refuses with its own exceptions.
    throw GeometryError(e.what());
  }
}

}  // namespace sulkor
