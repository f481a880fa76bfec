#include "toolpath/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <numbers>

#include "contour/segment_build.h"
#include "sulkor/error.h"

namespace sulkor {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
// Breakpoints closer than this (relative to the coordinates) are one breakpoint, and a piece
// shorter than this along u is no piece.
constexpr double kBreakTol = 1e-12;
// A circle piece stops this short of its ends: a point of the part exactly a corner radius to
// the side of the reference point only touches the insert's flank, it does not block it. The
// same tolerance makes two coordinates equal everywhere in the geometry.
constexpr double kTouch = kEps;

double Tol(double u) { return kBreakTol * std::max(1.0, std::fabs(u)); }

// The u-values where two pieces take the same value, within [lo, hi].
void Crossings(const Piece& a, const Piece& b, double lo, double hi, std::vector<double>& out) {
  const auto keep = [&](double u) {
    if (u >= lo - Tol(u) && u <= hi + Tol(u)) out.push_back(std::clamp(u, lo, hi));
  };
  const auto onHalf = [](const Piece& c, double v) {
    return c.half > 0 ? v >= c.cv - 1e-9 * std::max(1.0, c.radius)
                      : v <= c.cv + 1e-9 * std::max(1.0, c.radius);
  };
  if (!a.arc && !b.arc) {
    const double ma = (a.v1 - a.v0) / (a.u1 - a.u0);
    const double mb = (b.v1 - b.v0) / (b.u1 - b.u0);
    if (std::fabs(ma - mb) < 1e-14) return;
    // v0a + ma (u - u0a) = v0b + mb (u - u0b)
    keep((b.v0 - mb * b.u0 - a.v0 + ma * a.u0) / (ma - mb));
    return;
  }
  if (a.arc != b.arc) {
    const Piece& line = a.arc ? b : a;
    const Piece& circle = a.arc ? a : b;
    const double m = (line.v1 - line.v0) / (line.u1 - line.u0);
    const double k = line.v0 - m * line.u0 - circle.cv;  // line: v - cv = m u + k
    // (u - cu)^2 + (m u + k)^2 = R^2
    const double qa = 1.0 + m * m;
    const double qb = -2.0 * circle.cu + 2.0 * m * k;
    const double qc = circle.cu * circle.cu + k * k - circle.radius * circle.radius;
    double disc = qb * qb - 4.0 * qa * qc;
    const double scale = qb * qb + std::fabs(4.0 * qa * qc);
    if (disc < 0.0 && disc > -1e-12 * scale) disc = 0.0;
    if (disc < 0.0) return;
    const double root = std::sqrt(disc);
    for (const double u : {(-qb - root) / (2.0 * qa), (-qb + root) / (2.0 * qa)}) {
      if (onHalf(circle, circle.cv + m * u + k)) keep(u);
    }
    return;
  }
  // Two circles.
  const double dx = b.cu - a.cu;
  const double dy = b.cv - a.cv;
  const double d = std::hypot(dx, dy);
  if (d < 1e-14) return;  // concentric: equal or disjoint
  const double ra = a.radius;
  const double rb = b.radius;
  if (d > ra + rb + 1e-12 * (ra + rb) || d < std::fabs(ra - rb) - 1e-12 * (ra + rb)) return;
  const double along = (d * d + ra * ra - rb * rb) / (2.0 * d);
  const double h = std::sqrt(std::max(0.0, ra * ra - along * along));
  const double px = a.cu + along * dx / d;
  const double py = a.cv + along * dy / d;
  for (const double sign : {-1.0, 1.0}) {
    const double u = px - sign * h * dy / d;
    const double v = py + sign * h * dx / d;
    if (onHalf(a, v) && onHalf(b, v)) keep(u);
  }
}

Piece Clipped(const Piece& p, double lo, double hi) {
  Piece c = p;
  c.u0 = lo;
  c.u1 = hi;
  if (!p.arc) {
    c.v0 = p.At(lo);
    c.v1 = p.At(hi);
  }
  return c;
}

// The pieces of one circle arc from angle a0 turning through `sweep`, split where the circle
// is farthest left or right so that each piece is a function of u.
void ArcPieces(double cu, double cv, double radius, double a0, double sweep, Pieces& out) {
  if (radius <= kBreakTol) return;
  std::vector<double> cuts{a0};
  const double lo = std::min(a0, a0 + sweep);
  const double hi = std::max(a0, a0 + sweep);
  for (double k = std::ceil(lo / std::numbers::pi); k * std::numbers::pi < hi; k += 1.0) {
    if (k * std::numbers::pi > lo) cuts.push_back(k * std::numbers::pi);
  }
  cuts.push_back(a0 + sweep);
  std::sort(cuts.begin(), cuts.end());
  for (size_t i = 0; i + 1 < cuts.size(); ++i) {
    const double ta = cuts[i];
    const double tb = cuts[i + 1];
    if (tb - ta < 1e-15) continue;
    const double ua = cu + radius * std::cos(ta);
    const double ub = cu + radius * std::cos(tb);
    const int half = std::sin((ta + tb) / 2.0) >= 0.0 ? 1 : -1;
    if (std::fabs(ub - ua) <= Tol(ua)) continue;
    out.push_back(HalfCircle(cu, cv, radius, half, std::min(ua, ub), std::max(ua, ub)));
  }
}

// The segment as pieces: a line that is not vertical, the u-monotone parts of an arc.
void SegmentPieces(const Segment& s, Pieces& out) {
  if (s.IsLine()) {
    if (std::fabs(s.EndPt.x - s.StartPt.x) <= Tol(s.StartPt.x)) return;
    if (s.StartPt.x < s.EndPt.x) {
      out.push_back(Straight(s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y));
    } else {
      out.push_back(Straight(s.EndPt.x, s.EndPt.y, s.StartPt.x, s.StartPt.y));
    }
    return;
  }
  if (!s.IsArc() && !s.IsCircle()) return;
  const double r = std::hypot(s.StartPt.x - s.Center.x, s.StartPt.y - s.Center.y);
  const double a0 = std::atan2(s.StartPt.y - s.Center.y, s.StartPt.x - s.Center.x);
  const double a1 = std::atan2(s.EndPt.y - s.Center.y, s.EndPt.x - s.Center.x);
  double sweep = 0.0;
  if (s.IsCircle()) {
    sweep = 2.0 * std::numbers::pi;
  } else if (s.Direction == 1) {
    sweep = a1 - a0;
    if (sweep <= 0.0) sweep += 2.0 * std::numbers::pi;
  } else {
    sweep = a1 - a0;
    if (sweep >= 0.0) sweep -= 2.0 * std::numbers::pi;
  }
  ArcPieces(s.Center.x, s.Center.y, r, a0, sweep, out);
}

// The half circle of radius r around a point on the side asked for, short of its ends by the
// touching tolerance.
void AddCap(double u, double v, double r, bool upper, Pieces& out) {
  if (r <= kTouch) return;
  out.push_back(HalfCircle(u, v, r, upper ? 1 : -1, u - r + kTouch, u + r - kTouch));
}

// The piece moved r along its normal towards the side asked for.
void AddOffset(const Piece& p, double r, bool upper, Pieces& out) {
  if (!p.arc) {
    const double du = p.u1 - p.u0;
    const double dv = p.v1 - p.v0;
    const double len = std::hypot(du, dv);
    // The normal (-dv, du) / len points up, since du > 0.
    const double side = upper ? 1.0 : -1.0;
    const double nu = -dv / len * side * r;
    const double nv = du / len * side * r;
    out.push_back(Straight(p.u0 + nu, p.v0 + nv, p.u1 + nu, p.v1 + nv));
    return;
  }
  // Moving up is moving out on an upper half and in on a lower half.
  const bool outward = (p.half > 0) == upper;
  const double scaled = p.radius + (outward ? r : -r);
  if (std::fabs(scaled) <= kBreakTol) return;
  const double f = scaled / p.radius;
  const double ua = p.cu + (p.u0 - p.cu) * f;
  const double ub = p.cu + (p.u1 - p.cu) * f;
  const int half = scaled > 0.0 ? p.half : -p.half;
  if (std::fabs(ub - ua) <= Tol(ua)) return;
  out.push_back(HalfCircle(p.cu, p.cv, std::fabs(scaled), half, std::min(ua, ub),
                           std::max(ua, ub)));
}

// Every breakpoint of the pieces within [lo, hi]: their ends and their crossings.
std::vector<double> Breakpoints(const Pieces& a, const Pieces& b, double lo, double hi) {
  std::vector<double> bp{lo, hi};
  for (const Pieces* set : {&a, &b}) {
    for (const Piece& p : *set) {
      if (p.u0 > lo && p.u0 < hi) bp.push_back(p.u0);
      if (p.u1 > lo && p.u1 < hi) bp.push_back(p.u1);
    }
  }
  for (const Piece& p : a) {
    for (const Piece& q : b) {
      const double l = std::max({p.u0, q.u0, lo});
      const double h = std::min({p.u1, q.u1, hi});
      if (l < h) Crossings(p, q, l, h, bp);
    }
  }
  std::sort(bp.begin(), bp.end());
  std::vector<double> unique;
  for (const double u : bp) {
    if (unique.empty() || u - unique.back() > Tol(u)) unique.push_back(u);
  }
  return unique;
}

}  // namespace

double Piece::At(double u) const {
  if (arc) {
    const double x = u - cu;
    return cv + half * std::sqrt(std::max(0.0, radius * radius - x * x));
  }
  if (u1 - u0 <= 0.0) return std::max(v0, v1);
  return v0 + (v1 - v0) * (u - u0) / (u1 - u0);
}

Piece Piece::Shifted(double du, double dv) const {
  Piece p = *this;
  p.u0 += du;
  p.u1 += du;
  p.v0 += dv;
  p.v1 += dv;
  p.cu += du;
  p.cv += dv;
  return p;
}

Piece Straight(double u0, double v0, double u1, double v1) {
  Piece p;
  p.u0 = u0;
  p.v0 = v0;
  p.u1 = u1;
  p.v1 = v1;
  return p;
}

Piece Level(double u0, double u1, double v) { return Straight(u0, v, u1, v); }

Piece HalfCircle(double cu, double cv, double radius, int half, double u0, double u1) {
  Piece p;
  p.arc = true;
  p.cu = cu;
  p.cv = cv;
  p.radius = radius;
  p.half = half;
  p.u0 = std::max(u0, cu - radius);
  p.u1 = std::min(u1, cu + radius);
  return p;
}

Pieces Envelope(const Pieces& input, bool upper) {
  Pieces pieces;
  pieces.reserve(input.size());
  for (const Piece& p : input) {
    if (p.u1 - p.u0 > Tol(p.u0)) pieces.push_back(p);
  }
  if (pieces.empty()) return {};
  std::sort(pieces.begin(), pieces.end(),
            [](const Piece& a, const Piece& b) { return a.u0 < b.u0; });

  std::vector<double> bp;
  double maxEnd = -kInf;
  for (size_t i = 0; i < pieces.size(); ++i) {
    const Piece& p = pieces[i];
    bp.push_back(p.u0);
    bp.push_back(p.u1);
    maxEnd = std::max(maxEnd, p.u1);
    for (size_t j = i + 1; j < pieces.size() && pieces[j].u0 < p.u1; ++j) {
      const Piece& q = pieces[j];
      const double lo = std::max(p.u0, q.u0);
      const double hi = std::min(p.u1, q.u1);
      if (lo < hi) Crossings(p, q, lo, hi, bp);
    }
  }
  std::sort(bp.begin(), bp.end());
  std::vector<double> cuts;
  for (const double u : bp) {
    if (cuts.empty() || u - cuts.back() > Tol(u)) cuts.push_back(u);
  }

  Pieces result;
  int64_t lastSource = -1;
  std::vector<size_t> active;
  size_t next = 0;
  for (size_t k = 0; k + 1 < cuts.size(); ++k) {
    const double a = cuts[k];
    const double b = cuts[k + 1];
    while (next < pieces.size() && pieces[next].u0 <= a + Tol(a)) active.push_back(next++);
    std::erase_if(active, [&](size_t i) { return pieces[i].u1 < b - Tol(b); });
    const double mid = 0.5 * (a + b);
    int64_t best = -1;
    double bestValue = 0.0;
    for (const size_t i : active) {
      if (pieces[i].u0 > a + Tol(a)) continue;
      const double v = pieces[i].At(mid);
      if (best < 0 || (upper ? v > bestValue : v < bestValue)) {
        best = static_cast<int64_t>(i);
        bestValue = v;
      }
    }
    if (best < 0) {
      lastSource = -1;
      continue;
    }
    if (best == lastSource && !result.empty() && std::fabs(result.back().u1 - a) <= Tol(a)) {
      result.back() = Clipped(pieces[static_cast<size_t>(best)], result.back().u0, b);
    } else {
      result.push_back(Clipped(pieces[static_cast<size_t>(best)], a, b));
    }
    lastSource = best;
  }
  return result;
}

std::optional<double> ValueAt(const Pieces& f, double u, bool fromLeft) {
  // The first piece that ends at or after u.
  auto it = std::lower_bound(f.begin(), f.end(), u,
                             [](const Piece& p, double x) { return p.u1 < x - Tol(x); });
  if (it == f.end() || it->u0 > u + Tol(u)) return std::nullopt;
  if (!fromLeft && std::fabs(it->u1 - u) <= Tol(u)) {
    const auto after = it + 1;
    if (after != f.end() && after->u0 <= u + Tol(u)) return after->At(u);
  }
  return it->At(std::clamp(u, it->u0, it->u1));
}

void DilatedSegment(const Segment& segment, double radius, bool upper, Pieces& out) {
  Pieces base;
  SegmentPieces(segment, base);
  if (radius <= 0.0) {
    out.insert(out.end(), base.begin(), base.end());
    return;
  }
  for (const Piece& p : base) AddOffset(p, radius, upper, out);
  AddCap(segment.StartPt.x, segment.StartPt.y, radius, upper, out);
  AddCap(segment.EndPt.x, segment.EndPt.y, radius, upper, out);
}

Pieces WindowExtreme(const Pieces& f, double s, bool max) {
  if (f.empty() || s == 0.0) return f;
  Pieces pieces = f;
  for (const Piece& p : f) pieces.push_back(p.Shifted(-s, 0.0));
  const auto level = [&](double u, double v) {
    pieces.push_back(s > 0.0 ? Level(u - s, u, v) : Level(u, u - s, v));
  };
  for (const Piece& p : f) {
    level(p.u0, p.At(p.u0));
    level(p.u1, p.At(p.u1));
    // The top of an upper half, the bottom of a lower half.
    if (p.arc && (p.half > 0) == max && p.cu > p.u0 && p.cu < p.u1) {
      level(p.cu, p.cv + p.half * p.radius);
    }
  }
  return Envelope(pieces, max);
}

Pieces TipSweepFloor(const Pieces& f, double s, double r) {
  const Pieces flat = WindowExtreme(f, -s, false);
  if (r <= 0.0) return flat;
  Pieces pieces;
  for (const Piece& p : flat) {
    AddOffset(p, r, false, pieces);
    AddCap(p.u0, p.At(p.u0), r, false, pieces);
    AddCap(p.u1, p.At(p.u1), r, false, pieces);
  }
  return Envelope(pieces, false);
}

std::vector<Segment> GraphChain(const Pieces& f, double u0, double u1) {
  std::vector<Segment> chain;
  const auto add = [&](Segment s) {
    if (std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y) > kBreakTol) {
      chain.push_back(s);
    }
  };
  bool first = true;
  double lastU = 0.0, lastV = 0.0;
  for (const Piece& p : f) {
    const double a = std::max(p.u0, u0);
    const double b = std::min(p.u1, u1);
    if (b - a <= Tol(a)) continue;
    const double va = p.At(a);
    const double vb = p.At(b);
    if (!first) {
      if (a - lastU > 1e-9 * std::max(1.0, std::fabs(a))) {
        throw GeometryError("a locus with a gap");
      }
      if (std::fabs(va - lastV) > 1e-9) add(MakeLine(lastU, lastV, a, va));
    }
    // An arc whose ends coincide within the point tolerance would be taken for a full circle.
    if (p.arc && std::hypot(b - a, vb - va) > kEps) {
      // Left to right over an upper half turns clockwise.
      add(MakeArc(a, va, b, vb, p.cu, p.cv, static_cast<int16_t>(p.half > 0 ? -1 : 1)));
    } else {
      add(MakeLine(a, va, b, vb));
    }
    first = false;
    lastU = b;
    lastV = vb;
  }
  return chain;
}

std::vector<Interval> WhereBelow(const Pieces& f, const Pieces& g, double margin, double lo,
                                 double hi) {
  std::vector<Interval> result;
  if (!(hi > lo)) return result;
  Pieces lowered;
  for (const Piece& p : g) lowered.push_back(p.Shifted(0.0, -margin));
  const std::vector<double> bp = Breakpoints(f, lowered, lo, hi);
  for (size_t k = 0; k + 1 < bp.size(); ++k) {
    const double mid = 0.5 * (bp[k] + bp[k + 1]);
    const std::optional<double> fv = ValueAt(f, mid);
    const std::optional<double> gv = ValueAt(g, mid);
    if (!fv || !gv || !(*gv - *fv > margin)) continue;
    if (!result.empty() && std::fabs(result.back().hi - bp[k]) <= Tol(bp[k])) {
      result.back().hi = bp[k + 1];
    } else {
      result.push_back({bp[k], bp[k + 1]});
    }
  }
  return result;
}

double MaxAboveLine(const Pieces& f, double ua, double va, double ub, double vb) {
  if (ua > ub) {
    std::swap(ua, ub);
    std::swap(va, vb);
  }
  double best = -kInf;
  if (ub - ua <= Tol(ua)) {
    for (const bool left : {true, false}) {
      if (const std::optional<double> v = ValueAt(f, ua, left)) {
        best = std::max(best, *v - std::min(va, vb));
      }
    }
    return best;
  }
  const double m = (vb - va) / (ub - ua);
  const auto line = [&](double u) { return va + m * (u - ua); };
  for (const Piece& p : f) {
    const double a = std::max(p.u0, ua);
    const double b = std::min(p.u1, ub);
    if (a > b) continue;
    best = std::max({best, p.At(a) - line(a), p.At(b) - line(b)});
    if (p.arc) {
      const double x = -p.half * m * p.radius / std::sqrt(1.0 + m * m);
      const double u = p.cu + x;
      if (u > a && u < b) best = std::max(best, p.At(u) - line(u));
    }
  }
  return best;
}

double MaxDifference(const Pieces& f, const Pieces& g, double lo, double hi) {
  double best = -kInf;
  if (!(hi > lo)) return best;
  const std::vector<double> bp = Breakpoints(f, g, lo, hi);
  constexpr int kSamples = 8;
  for (size_t k = 0; k + 1 < bp.size(); ++k) {
    for (int i = 0; i <= kSamples; ++i) {
      const double u = bp[k] + (bp[k + 1] - bp[k]) * i / kSamples;
      for (const bool left : {true, false}) {
        const std::optional<double> fv = ValueAt(f, u, left);
        const std::optional<double> gv = ValueAt(g, u, left);
        if (fv && gv) best = std::max(best, *gv - *fv);
      }
    }
  }
  return best;
}

}  // namespace sulkor
