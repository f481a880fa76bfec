#include "kernel/segment_intersect.h"

#include "kernel/kernel_tolerances.h"
#include "kernel/shape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

// How two segments are intersected: the one line/arc intersection of the geometry services.
// IntersectSegments and the contour intersection read segment records into shapes
// (ShapeOfSegment); the offset and the combination cut the curves of their arrangements with
// the same routine (ShapeOfCurve, then IntersectShapes), so every service sees the same touches,
// overlaps and crossings at the same tolerance.
//
// Tolerance. A point is "on" a segment when its distance from it is at most kOn = 1e-9 drawing
// units. That is a thousand times finer than the 1e-6 at which the operation calls two
// coordinates equal, so every point reported here is one that the operation sees as lying on
// both segments, and it is far above the rounding error of double arithmetic on lathe-sized
// coordinates (about 1e-13 at 1000 units).
//
// Contacts. Within that tolerance the two segments share one or more connected pieces. Each
// piece is reported once:
//   - a transversal crossing of the two interiors: one hit, neither Touch nor Overlap;
//   - a tangent touch (a line or circle whose distance from the other circle differs from the
//     radius by at most kOn): one hit at the foot of the common normal, Touch;
//   - an end of one segment lying on the other: one hit at the exact coordinates of that end,
//     Touch. When the ends of both segments meet, the end of the first is used;
//   - a shared stretch (collinear lines, arcs on one circle): its two end points, each Touch and
//     Overlap. Two full circles on one circle share everything and have no end: no hit.
// An end point that lies on the other segment belongs to the same piece as the carrier
// crossing on its side of the symmetry axis (the normal from the centre to the line, or the
// line of centres); that piece is reported at the end point, whose coordinates are exact.
//
// Along values. Distance from the start of each segment, arc length for arcs; an end point of a
// segment gets exactly 0 or that segment's length. The length of a line is the distance of its
// ends and that of an arc its radius times its sweep: the Length field of the record is not
// read for that (a split arc keeps the Length of the whole arc).
//
// Degenerate segments. A line shorter than kOn, an arc whose radius or arc length is below kOn
// is handled as the single point of its start. An arc whose start and end agree within 1e-6
// (equal points to the operation, which builds such an arc as a full turn) is a full turn when
// its Length field exceeds half a turn; otherwise its sweep comes from the angles of its ends
// (a point when they coincide within kOn). A "Circle" is a full turn that starts at its StartPt
// when that lies on the circle (within 1e-6), else at the point of angle 0; a full turn has no
// ends, so a contact at its seam has Along 0. An arc's radius is the absolute value of its
// Radius field (the distance from the centre to the start when Radius is 0); its direction is
// counterclockwise for Direction 1, clockwise for any other value. Angles here only measure
// positions on a circle, so they are true angles (std::numbers::pi), not the operation's
// rounded value of pi.

namespace sulkor::host {
namespace {

constexpr double kOn = kOnTol;
constexpr double kTurn = kFullTurn;


Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double Norm(Vec a) { return std::sqrt(a.x * a.x + a.y * a.y); }
Vec ToVec(const Point3& p) { return {p.x, p.y}; }


double NormalizeTurn(double a) {
  a = std::fmod(a, kTurn);
  if (a < 0.0) a += kTurn;
  if (a >= kTurn) a -= kTurn;
  return a;
}

Shape PointShape(Vec p) {
  Shape s;
  s.type = Shape::Type::Point;
  s.p0 = p;
  s.p1 = p;
  return s;
}

Shape MakeShapeOfSegment(const Segment& seg) {
  Shape s;
  s.p0 = ToVec(seg.StartPt);
  s.p1 = ToVec(seg.EndPt);
  if (seg.IsLine()) {
    s.len = Norm(s.p1 - s.p0);
    if (s.len <= kOn) return PointShape(s.p0);
    s.type = Shape::Type::Line;
    s.u = (s.p1 - s.p0) * (1.0 / s.len);
    return s;
  }
  if (!seg.IsArc() && !seg.IsCircle()) return s;  // an unknown kind touches nothing
  s.c = ToVec(seg.Center);
  s.r = std::fabs(seg.Radius);
  if (s.r == 0.0) s.r = Norm(s.p0 - s.c);
  if (s.r <= kOn) return PointShape(s.p0);
  s.dir = seg.Direction == 1 ? 1.0 : -1.0;
  s.type = Shape::Type::Arc;
  if (seg.IsCircle()) {
    s.full = true;
    s.sweep = kTurn;
    if (std::fabs(Norm(s.p0 - s.c) - s.r) > kEps) s.p0 = s.c + Vec{s.r, 0.0};
    s.p1 = s.p0;
    s.a0 = std::atan2(s.p0.y - s.c.y, s.p0.x - s.c.x);
    return s;
  }
  s.a0 = std::atan2(s.p0.y - s.c.y, s.p0.x - s.c.x);
  const double chord = Norm(s.p1 - s.p0);
  if (chord < kEps && seg.Length > std::numbers::pi * s.r) {
    s.full = true;
    s.sweep = kTurn;
    return s;
  }
  if (chord <= kOn) return PointShape(s.p0);
  const double a1 = std::atan2(s.p1.y - s.c.y, s.p1.x - s.c.x);
  s.sweep = NormalizeTurn(s.dir * (a1 - s.a0));
  if (s.r * s.sweep <= kOn) return PointShape(s.p0);  // ends apart only off the circle
  return s;
}

// The angle from an arc's start to the direction of q, in the arc's direction, in [0, 2*pi).
double AngleFromStart(const Shape& s, Vec q) {
  return NormalizeTurn(s.dir * (std::atan2(q.y - s.c.y, q.x - s.c.x) - s.a0));
}

// Distance from the start of the segment to the position nearest to q, measured along it.
double Along(const Shape& s, Vec q) {
  switch (s.type) {
    case Shape::Type::Line: return std::clamp(Dot(q - s.p0, s.u), 0.0, s.len);
    case Shape::Type::Arc: {
      const double t = AngleFromStart(s, q);
      if (s.full) return s.r * (kTurn - t) <= kOn ? 0.0 : s.r * t;
      if (t <= s.sweep) return s.r * t;
      return (t - s.sweep < kTurn - t) ? s.r * s.sweep : 0.0;
    }
    default: return 0.0;
  }
}

Vec PointAt(const Shape& s, double along) {
  switch (s.type) {
    case Shape::Type::Line: return s.p0 + s.u * along;
    case Shape::Type::Arc: {
      const double a = s.a0 + s.dir * along / s.r;
      return s.c + Vec{s.r * std::cos(a), s.r * std::sin(a)};
    }
    default: return s.p0;
  }
}

// Whether the direction of q from an arc's centre lies within its sweep (ends included),
// decided by cross products alone.
bool InSweep(const Shape& s, Vec q) {
  if (s.full) return true;
  Vec from = s.p0 - s.c;
  Vec to = s.p1 - s.c;
  if (s.dir < 0.0) std::swap(from, to);  // the same set, counterclockwise
  const Vec v = q - s.c;
  const double span = Cross(from, to);
  if (span > 0.0) return Cross(from, v) >= 0.0 && Cross(v, to) >= 0.0;
  if (span < 0.0) return !(Cross(to, v) > 0.0 && Cross(v, from) > 0.0);
  if (Dot(from, to) > 0.0) return s.sweep > std::numbers::pi || Cross(from, v) == 0.0;
  return Cross(from, v) >= 0.0;  // half a turn
}

double Dist(const Shape& s, Vec q) {
  switch (s.type) {
    case Shape::Type::Point: return Norm(q - s.p0);
    case Shape::Type::Line: return Norm(q - (s.p0 + s.u * std::clamp(Dot(q - s.p0, s.u), 0.0,
                                                                       s.len)));
    case Shape::Type::Arc:
      if (InSweep(s, q)) return std::fabs(Norm(q - s.c) - s.r);
      return std::min(Norm(q - s.p0), Norm(q - s.p1));
    case Shape::Type::None: break;
  }
  return HUGE_VAL;
}

// Distance from q to the infinite carrier line of a line shape.
double LineDist(const Shape& s, Vec q) { return std::fabs(Cross(s.u, q - s.p0)); }


// An end point of one segment that lies on the other.
struct Candidate {
  Vec p;
  int end1 = -1;  // which end of the first segment it is: -1 none, 0 start, 1 end
  int end2 = -1;
  int group = -1;
};
using Candidates = SmallList<Candidate, 4>;

// One connected piece of contact around a carrier intersection point.
struct Group {
  Vec x;
  bool tangent = false;
  int side = 0;  // side of the symmetry axis, 0 when there is a single group
};
using Groups = SmallList<Group, 2>;
using Hits = ShapeHits;

void AddCandidate(Candidates& cands, Candidate cand) {
  for (Candidate& c : cands) {
    if (Norm(c.p - cand.p) <= kOn) {
      if (c.end1 < 0) c.end1 = cand.end1;
      if (c.end2 < 0) c.end2 = cand.end2;
      return;
    }
  }
  cands.push_back(cand);
}

int EndAt(const Shape& s, Vec p) {
  if (!s.HasEnds()) return -1;
  if (Norm(p - s.p0) <= kOn) return 0;
  if (s.type != Shape::Type::Point && Norm(p - s.p1) <= kOn) return 1;
  return -1;
}

Candidates EndCandidates(const Shape& a, const Shape& b) {
  Candidates cands;
  if (a.HasEnds()) {
    for (int k = 0; k < (a.type == Shape::Type::Point ? 1 : 2); ++k) {
      const Vec e = k == 0 ? a.p0 : a.p1;
      if (Dist(b, e) <= kOn) AddCandidate(cands, {e, k, EndAt(b, e)});
    }
  }
  if (b.HasEnds()) {
    for (int k = 0; k < (b.type == Shape::Type::Point ? 1 : 2); ++k) {
      const Vec e = k == 0 ? b.p0 : b.p1;
      if (Dist(a, e) <= kOn) AddCandidate(cands, {e, EndAt(a, e), k});
    }
  }
  return cands;
}

SegmentHit MakeHit(const Shape& a, const Shape& b, Vec p, int end1, int end2) {
  SegmentHit hit;
  hit.X = p.x;
  hit.Y = p.y;
  hit.Along1 = end1 == 0 ? 0.0 : end1 == 1 ? a.Length() : Along(a, p);
  hit.Along2 = end2 == 0 ? 0.0 : end2 == 1 ? b.Length() : Along(b, p);
  return hit;
}

// Both segments on one carrier (collinear lines, arcs on one circle): the contacts are the end
// points of each that lie on the other; consecutive ones bound a shared stretch when the first
// segment's middle between them lies on the second.
Hits SharedCarrier(const Shape& a, const Shape& b) {
  const Candidates cands = EndCandidates(a, b);
  Hits hits;
  for (const Candidate& c : cands) hits.push_back(MakeHit(a, b, c.p, c.end1, c.end2));
  std::sort(hits.begin(), hits.end(),
            [](const SegmentHit& l, const SegmentHit& r) { return l.Along1 < r.Along1; });
  const size_t n = hits.size();
  const double length = a.Length();
  for (size_t k = 0; k < n; ++k) {
    hits[k].Touch = true;
    size_t next = k + 1;
    double span = 0.0;
    if (next < n) {
      span = hits[next].Along1 - hits[k].Along1;
    } else if (a.full && n >= 2) {
      next = 0;  // around the seam of a full turn
      span = length - hits[k].Along1 + hits[0].Along1;
    } else {
      continue;
    }
    const double mid = std::fmod(hits[k].Along1 + span / 2.0, a.full ? length : HUGE_VAL);
    if (Dist(b, PointAt(a, mid)) <= kOn) {
      hits[k].Overlap = true;
      hits[next].Overlap = true;
    }
  }
  return hits;
}

Hits Resolve(const Shape& a, const Shape& b, Candidates cands, const Groups& groups, auto side) {
  Hits hits;
  std::array<int, 2> rep{-1, -1};
  for (size_t k = 0; k < cands.size(); ++k) {
    Candidate& c = cands[k];
    for (size_t g = 0; g < groups.size(); ++g) {
      if (groups[g].side == 0 || groups[g].side == side(c.p)) c.group = static_cast<int>(g);
    }
    if (c.group < 0) {
      // No carrier point on its side (rounding near a tangent): a contact of its own.
      SegmentHit hit = MakeHit(a, b, c.p, c.end1, c.end2);
      hit.Touch = true;
      hits.push_back(hit);
      continue;
    }
    // Representative: an end of both segments first, then the end nearest the carrier point.
    int& r = rep[static_cast<size_t>(c.group)];
    const Vec x = groups[static_cast<size_t>(c.group)].x;
    if (r < 0) {
      r = static_cast<int>(k);
    } else {
      const Candidate& o = cands[static_cast<size_t>(r)];
      const bool both = c.end1 >= 0 && c.end2 >= 0;
      const bool oboth = o.end1 >= 0 && o.end2 >= 0;
      if ((both && !oboth) || (both == oboth && Norm(c.p - x) < Norm(o.p - x))) {
        r = static_cast<int>(k);
      }
    }
  }
  for (size_t g = 0; g < groups.size(); ++g) {
    if (rep[g] >= 0) {
      const Candidate& c = cands[static_cast<size_t>(rep[g])];
      SegmentHit hit = MakeHit(a, b, c.p, c.end1, c.end2);
      hit.Touch = true;
      hits.push_back(hit);
    } else if (Dist(a, groups[g].x) <= kOn && Dist(b, groups[g].x) <= kOn) {
      SegmentHit hit = MakeHit(a, b, groups[g].x, -1, -1);
      hit.Touch = groups[g].tangent;
      hits.push_back(hit);
    }
  }
  return hits;
}

Hits LineLine(const Shape& a, const Shape& b) {
  if ((LineDist(a, b.p0) <= kOn && LineDist(a, b.p1) <= kOn) ||
      (LineDist(b, a.p0) <= kOn && LineDist(b, a.p1) <= kOn)) {
    return SharedCarrier(a, b);
  }
  Groups groups;
  const double denom = Cross(a.u, b.u);
  if (denom != 0.0) {
    const double s = Cross(b.p0 - a.p0, b.u) / denom;
    groups.push_back({a.p0 + a.u * s, false, 0});
  }
  return Resolve(a, b, EndCandidates(a, b), groups, [](Vec) { return 0; });
}

// line is a Line shape, arc an Arc shape; the hits are made for (first, second).
Hits LineArc(const Shape& first, const Shape& second, const Shape& line,
                                const Shape& arc) {
  const Vec w0 = arc.c - line.p0;
  const Vec foot = line.p0 + line.u * Dot(w0, line.u);
  const double h = std::fabs(Cross(line.u, w0));
  Groups groups;
  if (h <= arc.r + kOn) {
    if (h >= arc.r - kOn) {
      groups.push_back({foot, true, 0});
    } else {
      const double w = std::sqrt((arc.r - h) * (arc.r + h));
      groups.push_back({foot - line.u * w, false, -1});
      groups.push_back({foot + line.u * w, false, 1});
    }
  }
  const Vec u = line.u;
  return Resolve(first, second, EndCandidates(first, second), groups,
                 [foot, u](Vec q) { return Dot(q - foot, u) < 0.0 ? -1 : 1; });
}

Hits ArcArc(const Shape& a, const Shape& b) {
  const Vec dc = b.c - a.c;
  const double d = Norm(dc);
  if (d + std::fabs(a.r - b.r) <= kOn) return SharedCarrier(a, b);
  Groups groups;
  const Vec e = d > 0.0 ? dc * (1.0 / d) : Vec{1.0, 0.0};
  if (d > 0.0 && d <= a.r + b.r + kOn && d >= std::fabs(a.r - b.r) - kOn) {
    // Distance from a's centre to the radical line, along the line of centres.
    const double along = (d * d + (a.r - b.r) * (a.r + b.r)) / (2.0 * d);
    const Vec m = a.c + e * along;
    if (std::fabs(d - (a.r + b.r)) <= kOn || std::fabs(d - std::fabs(a.r - b.r)) <= kOn) {
      groups.push_back({m, true, 0});
    } else {
      const double h = std::sqrt(std::max(0.0, (a.r - along) * (a.r + along)));
      const Vec perp{-e.y, e.x};
      groups.push_back({m - perp * h, false, -1});
      groups.push_back({m + perp * h, false, 1});
    }
  }
  const Vec c1 = a.c;
  return Resolve(a, b, EndCandidates(a, b), groups,
                 [c1, e](Vec q) { return Cross(e, q - c1) < 0.0 ? -1 : 1; });
}

}  // namespace

namespace {

double RadiusOf(const Segment& s) {
  const double r = std::fabs(s.Radius);
  return r != 0.0 ? r : Norm(ToVec(s.StartPt) - ToVec(s.Center));
}

}  // namespace

// Whether the carriers of two segments keep them more than kOn apart, found without the angles
// that the full intersection needs: a line with both ends of the other segment's line on one
// side, a line farther from a circle's centre than its radius, two circles apart or nested.
bool ClearlyApart(const Segment& a, const Segment& b) {
  const bool aLine = a.IsLine();
  const bool bLine = b.IsLine();
  if (!aLine && !a.IsArc() && !a.IsCircle()) return false;
  if (!bLine && !b.IsArc() && !b.IsCircle()) return false;
  auto sideOf = [](const Segment& line, Vec d, double len, Vec p) {
    return Cross(d, p - ToVec(line.StartPt)) / len;
  };
  if (aLine || bLine) {
    const Segment& line = aLine ? a : b;
    const Segment& other = aLine ? b : a;
    const Vec d = ToVec(line.EndPt) - ToVec(line.StartPt);
    const double len = Norm(d);
    if (len <= kOn) return false;
    if (other.IsLine()) {
      const double h0 = sideOf(line, d, len, ToVec(other.StartPt));
      const double h1 = sideOf(line, d, len, ToVec(other.EndPt));
      return (h0 > kOn && h1 > kOn) || (h0 < -kOn && h1 < -kOn);
    }
    return std::fabs(sideOf(line, d, len, ToVec(other.Center))) > RadiusOf(other) + kOn;
  }
  const double d = Norm(ToVec(b.Center) - ToVec(a.Center));
  const double ra = RadiusOf(a);
  const double rb = RadiusOf(b);
  return d > ra + rb + kOn || d < std::fabs(ra - rb) - kOn;
}


Shape ShapeOfSegment(const Segment& segment) { return MakeShapeOfSegment(segment); }

Shape ShapeOfCurve(const Curve& curve) {
  Shape s;
  s.p0 = {curve.X0, curve.Y0};
  s.p1 = {curve.X1, curve.Y1};
  if (!curve.Arc) {
    s.len = Norm(s.p1 - s.p0);
    if (s.len <= kOn) return PointShape(s.p0);
    s.type = Shape::Type::Line;
    s.u = (s.p1 - s.p0) * (1.0 / s.len);
    return s;
  }
  s.c = {curve.Cx, curve.Cy};
  s.r = curve.R;
  s.sweep = std::fabs(curve.Sweep);
  if (s.r <= kOn || s.r * s.sweep <= kOn) return PointShape(s.p0);
  s.type = Shape::Type::Arc;
  s.dir = curve.Sweep > 0.0 ? 1.0 : -1.0;
  s.a0 = std::atan2(s.p0.y - s.c.y, s.p0.x - s.c.x);
  if (Norm(s.p1 - s.p0) <= kOn && s.sweep > std::numbers::pi) {
    s.full = true;
    s.sweep = kTurn;
  }
  return s;
}

double ShapeDistance(const Shape& shape, double x, double y) { return Dist(shape, Vec{x, y}); }

Box ShapeBox(const Shape& s) {
  Box box;
  box.Add(s.p0.x, s.p0.y);
  box.Add(s.p1.x, s.p1.y);
  if (s.type != Shape::Type::Arc) return box;
  for (const Vec q : {Vec{s.c.x + s.r, s.c.y}, Vec{s.c.x, s.c.y + s.r}, Vec{s.c.x - s.r, s.c.y},
                      Vec{s.c.x, s.c.y - s.r}}) {
    if (InSweep(s, q)) box.Add(q.x, q.y);
  }
  return box;
}

void IntersectShapes(const Shape& a, const Shape& b, ShapeHits& out) {
  out.clear();
  using T = Shape::Type;
  if (a.type == T::None || b.type == T::None) return;

  Hits hits;
  if (a.type == T::Point || b.type == T::Point) {
    for (const Candidate& c : EndCandidates(a, b)) {
      SegmentHit hit = MakeHit(a, b, c.p, c.end1, c.end2);
      hit.Touch = true;
      hits.push_back(hit);
    }
  } else if (a.type == T::Line && b.type == T::Line) {
    hits = LineLine(a, b);
  } else if (a.type == T::Line) {
    hits = LineArc(a, b, a, b);
  } else if (b.type == T::Line) {
    hits = LineArc(a, b, b, a);
  } else {
    hits = ArcArc(a, b);
  }

  std::sort(hits.begin(), hits.end(), [](const SegmentHit& l, const SegmentHit& r) {
    return l.Along1 != r.Along1 ? l.Along1 < r.Along1 : l.Along2 < r.Along2;
  });
  // Two pieces never meet within kOn; should rounding make two hits coincide, keep one.
  for (const SegmentHit& hit : hits) {
    if (!out.empty() && Norm(Vec{out.back().X - hit.X, out.back().Y - hit.Y}) <= kOn) {
      out.back().Touch = out.back().Touch || hit.Touch;
      out.back().Overlap = out.back().Overlap || hit.Overlap;
      continue;
    }
    out.push_back(hit);
  }
}

}  // namespace sulkor::host

namespace sulkor {

std::vector<SegmentHit> IntersectSegments(const Segment& first, const Segment& second) {
  if (host::ClearlyApart(first, second)) return {};
  host::ShapeHits hits;
  host::IntersectShapes(host::ShapeOfSegment(first), host::ShapeOfSegment(second), hits);
  return std::vector<SegmentHit>(hits.begin(), hits.end());
}

}  // namespace sulkor
