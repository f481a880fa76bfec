#include "testing/machining_judge.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>

#include "contour/segment_build.h"
#include "operation/operation_state.h"
#include "host/memory/scene.h"
#include "sulkor/groove.h"
#include "testing/scenes.h"
#include "toolpath/machining_check.h"
#include "groove/groove_state.h"

namespace sulkor::testing {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct P2 {
  double u = 0.0, v = 0.0;
};

// The plunge frame: u across, v out of the part. The judge keeps its own copy of the four
// placements so that it does not share a fault with the code it judges.
P2 ToFrame(WorkKind kind, double x, double y) {
  switch (kind) {
    case WorkKind::OutsideDiameter: return {x, y};
    case WorkKind::Bore: return {x, -y};
    case WorkKind::FrontFace: return {y, x};
    case WorkKind::BackFace: return {y, -x};
  }
  return {x, y};
}

P2 ToDrawing(WorkKind kind, double u, double v) {
  switch (kind) {
    case WorkKind::OutsideDiameter: return {u, v};
    case WorkKind::Bore: return {u, -v};
    case WorkKind::FrontFace: return {v, u};
    case WorkKind::BackFace: return {-v, u};
  }
  return {u, v};
}

bool Mirrors(WorkKind kind) { return kind == WorkKind::Bore || kind == WorkKind::FrontFace; }

// Points along a segment, no farther apart than `step`, its start excluded.
void Densify(const Segment& s, double step, std::vector<P2>& out) {
  if (s.IsArc()) {
    AppendArcPoints(s, step, out);
    return;
  }
  const double len = std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y);
  const int n = std::max(1, static_cast<int>(std::ceil(len / step)));
  for (int k = 1; k <= n; ++k) {
    out.push_back({s.StartPt.x + (s.EndPt.x - s.StartPt.x) * k / n,
                   s.StartPt.y + (s.EndPt.y - s.StartPt.y) * k / n});
  }
}

// The lowest point of the insert's tip at offset d from its reference point (the flat runs
// from 0 to s, the corners have radius r); +infinity beyond the tip.
double TipBottom(double d, double s, double r) {
  if (d < -r || d > s + r) return kInf;
  if (d < 0.0) return -std::sqrt(std::max(0.0, r * r - d * d));
  if (d <= s) return -r;
  return -std::sqrt(std::max(0.0, r * r - (d - s) * (d - s)));
}

// What the insert can reach, by brute force on a grid of reference positions: the lowest
// reference level in each column that keeps the whole insert (tip and the body above it) out of
// the finished part, and from it the lowest point the tip can reach in each column.
class Reach {
 public:
  Reach(WorkKind kind, const Contour& part, double w, double r, double u0, double u1)
      : s_(std::max(0.0, w - 2 * r)), r_(r), h_(w / 800.0), u0_(u0) {
    // Only the outline within reach of the columns judged.
    std::vector<P2> pts;
    const double from = u0 - r_, to = u1 + s_ + r_;
    for (const Segment& seg : part.Segs) {
      const P2 a = ToFrame(kind, seg.StartPt.x, seg.StartPt.y);
      const P2 b = ToFrame(kind, seg.EndPt.x, seg.EndPt.y);
      const double extent = seg.IsArc() ? std::fabs(seg.Radius) : 0.0;
      if (std::max(a.u, b.u) + extent < from || std::min(a.u, b.u) - extent > to) continue;
      std::vector<P2> drawn;
      if (seg.IsLine() && std::fabs(b.u - a.u) > 1e-12) {
        // The part of the line within reach, densified alone.
        const double t0 = std::clamp((from - a.u) / (b.u - a.u), 0.0, 1.0);
        const double t1 = std::clamp((to - a.u) / (b.u - a.u), 0.0, 1.0);
        const double lo = std::min(t0, t1), hi = std::max(t0, t1);
        const auto at = [&](double t) {
          return Point3{seg.StartPt.x + (seg.EndPt.x - seg.StartPt.x) * t,
                        seg.StartPt.y + (seg.EndPt.y - seg.StartPt.y) * t, 0.0};
        };
        const Segment piece = MakeLine(at(lo).x, at(lo).y, at(hi).x, at(hi).y);
        drawn.push_back({piece.StartPt.x, piece.StartPt.y});
        Densify(piece, h_, drawn);
      } else {
        drawn.push_back({seg.StartPt.x, seg.StartPt.y});
        Densify(seg, h_, drawn);
      }
      for (const P2& p : drawn) {
        const P2 f = ToFrame(kind, p.u, p.v);
        if (f.u >= from && f.u <= to) pts.push_back(f);
      }
    }
    std::sort(pts.begin(), pts.end(), [](const P2& a, const P2& b) { return a.u < b.u; });
    pts_ = std::move(pts);
    const size_t n = static_cast<size_t>(std::ceil((u1 - u0) / h_)) + 1;
    level_.assign(n, std::nan(""));
    floor_.assign(n, std::nan(""));
  }

  // How far inside what the insert can reach the point lies (0 when it lies out of reach).
  double Depth(const P2& p) const {
    const int i = static_cast<int>(std::floor((p.u - u0_) / h_));
    if (i < 0 || i + 1 >= Columns()) return 0.0;
    const double f0 = Floor(i);
    const double f1 = Floor(i + 1);
    if (!std::isfinite(f0) || !std::isfinite(f1)) return 0.0;
    if (p.v <= std::max(f0, f1)) return 0.0;
    // The distance to the reachable floor, over the columns no farther than the floor below.
    double best = p.v - std::max(f0, f1);
    const int span = static_cast<int>(std::ceil(best / h_)) + 1;
    for (int j = std::max(0, i - span); j + 1 < Columns() && j <= i + span; ++j) {
      const double a = Floor(j);
      const double b = Floor(j + 1);
      if (!std::isfinite(a) || !std::isfinite(b)) {
        best = std::min(best, std::fabs(p.u - (u0_ + j * h_)));
        continue;
      }
      // Distance from p to the segment between the two floor samples.
      const double ax = u0_ + j * h_;
      const double dx = h_, dy = b - a;
      const double t = std::clamp(((p.u - ax) * dx + (p.v - a) * dy) / (dx * dx + dy * dy), 0.0,
                                  1.0);
      best = std::min(best, std::hypot(p.u - ax - t * dx, p.v - a - t * dy));
    }
    return best;
  }

 private:
  int Columns() const { return static_cast<int>(level_.size()); }

  // The lowest reference level in column i that keeps the insert out of the part.
  double Level(int i) const {
    double& cached = level_[static_cast<size_t>(i)];
    if (!std::isnan(cached)) return cached;
    const double c = u0_ + i * h_;
    auto it = std::lower_bound(pts_.begin(), pts_.end(), c - r_,
                               [](const P2& p, double x) { return p.u < x; });
    double best = -kInf;
    for (; it != pts_.end() && it->u < c + s_ + r_; ++it) {
      const double d = it->u - c;
      if (d <= -r_ + 1e-9 || d >= s_ + r_ - 1e-9) continue;  // on the flank: a touch
      best = std::max(best, it->v - TipBottom(d, s_, r_));
    }
    return cached = best;
  }

  // The lowest point the tip reaches in column i.
  double Floor(int i) const {
    double& cached = floor_[static_cast<size_t>(i)];
    if (!std::isnan(cached)) return cached;
    const int reach = static_cast<int>(std::ceil((s_ + r_) / h_));
    const double u = u0_ + i * h_;
    double best = kInf;
    for (int j = std::max(0, i - reach); j <= std::min(Columns() - 1, i + reach); ++j) {
      const double lv = Level(j);
      if (lv == -kInf) continue;
      best = std::min(best, lv + TipBottom(u - (u0_ + j * h_), s_, r_));
    }
    return cached = best;
  }

  double s_, r_, h_, u0_;
  std::vector<P2> pts_;
  mutable std::vector<double> level_;
  mutable std::vector<double> floor_;
};

// The area of a closed contour, its arcs replaced by chords no longer than `step`.
double Area(const Contour& c, double step) {
  if (c.Empty()) return 0.0;
  std::vector<P2> pts{{c.First().StartPt.x, c.First().StartPt.y}};
  for (const Segment& s : c.Segs) {
    if (s.IsArc()) {
      Densify(s, step, pts);
    } else {
      pts.push_back({s.EndPt.x, s.EndPt.y});
    }
  }
  double a = 0.0;
  for (size_t i = 0; i + 1 < pts.size(); ++i) a += pts[i].u * pts[i + 1].v - pts[i + 1].u * pts[i].v;
  return std::fabs(a / 2.0);
}

bool InRing(const std::vector<std::array<double, 2>>& ring, double x, double y) {
  bool in = false;
  for (size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const auto& a = ring[i];
    const auto& b = ring[j];
    if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0]) {
      in = !in;
    }
  }
  return in;
}

}  // namespace

Contour DrawnContour(const GrooveCase& c, const std::vector<Drawn>& points, bool closed) {
  // Frame points, then corners rounded, then placed into the drawing.
  std::vector<P2> p;
  for (const Drawn& d : points) p.push_back({c.across + d.a, c.surface - d.d});
  const size_t n = p.size();
  std::vector<Segment> segs;
  P2 from = p[0];
  const auto corner = [&](size_t i, P2& t1, P2& t2, Segment& arc) {
    const P2 a = p[(i + n - 1) % n], b = p[i], cpt = p[(i + 1) % n];
    const double l1 = std::hypot(a.u - b.u, a.v - b.v), l2 = std::hypot(cpt.u - b.u, cpt.v - b.v);
    const P2 e1{(a.u - b.u) / l1, (a.v - b.v) / l1}, e2{(cpt.u - b.u) / l2, (cpt.v - b.v) / l2};
    const double half = std::acos(std::clamp(e1.u * e2.u + e1.v * e2.v, -1.0, 1.0)) / 2.0;
    const double rad = points[i].fillet;
    const double along = rad / std::tan(half);
    t1 = {b.u + e1.u * along, b.v + e1.v * along};
    t2 = {b.u + e2.u * along, b.v + e2.v * along};
    const double bl = std::hypot(e1.u + e2.u, e1.v + e2.v);
    const P2 centre{b.u + (e1.u + e2.u) / bl * rad / std::sin(half),
                    b.v + (e1.v + e2.v) / bl * rad / std::sin(half)};
    const double turn = (b.u - a.u) * (cpt.v - b.v) - (b.v - a.v) * (cpt.u - b.u);
    arc = MakeArc(t1.u, t1.v, t2.u, t2.v, centre.u, centre.v,
                  static_cast<int16_t>(turn > 0 ? 1 : -1));
  };
  std::vector<Segment> frameSegs;
  const size_t last = closed ? n : n - 1;
  for (size_t i = 1; i <= last; ++i) {
    const size_t k = i % n;
    const bool round = points[k].fillet > 0.0 && (closed || k + 1 < n);
    if (round) {
      P2 t1, t2;
      Segment arc;
      corner(k, t1, t2, arc);
      frameSegs.push_back(MakeLine(from.u, from.v, t1.u, t1.v));
      frameSegs.push_back(arc);
      from = t2;
    } else {
      frameSegs.push_back(MakeLine(from.u, from.v, p[k].u, p[k].v));
      from = p[k];
    }
  }
  for (Segment s : frameSegs) {
    const P2 a = ToDrawing(c.kind, s.StartPt.x, s.StartPt.y);
    const P2 b = ToDrawing(c.kind, s.EndPt.x, s.EndPt.y);
    if (s.IsArc()) {
      const P2 m = ToDrawing(c.kind, s.Center.x, s.Center.y);
      const int16_t dir = static_cast<int16_t>(Mirrors(c.kind) ? -s.Direction : s.Direction);
      segs.push_back(MakeArc(a.u, a.v, b.u, b.v, m.u, m.v, dir));
    } else {
      segs.push_back(MakeLine(a.u, a.v, b.u, b.v));
    }
  }
  return MakeContour(segs);
}

Verdict Judge(const GrooveCase& c, std::optional<double> allowance) {
  host::SceneTool tool;
  tool.width = c.toolWidth;
  tool.cornerRadius = c.cornerRadius;
  tool.measure = c.units;
  host::GrooveScene scene =
      host::BuildGrooveScene(DrawnContour(c, c.blank, true), DrawnContour(c, c.profile, false),
                             tool, c.units);
  Groove groove(scene.host.environment);
  const bool turn = c.kind == WorkKind::OutsideDiameter || c.kind == WorkKind::Bore;
  const bool external = c.kind == WorkKind::OutsideDiameter || c.kind == WorkKind::BackFace;
  const P2 start = ToDrawing(c.kind, c.across + c.start.a, c.surface - c.start.d);
  groove.SetParameter("CAM_TurningTrajectoryType", Variant(std::string(turn ? "Turn" : "Face")));
  groove.SetParameter("CAM_TurningDirection",
                      Variant(std::string(external ? "External" : "Internal")));
  groove.SetParameter("CAM_TurningStartPointZ", Variant(start.u));
  groove.SetParameter("CAM_TurningStartPointX", Variant(2.0 * start.v));
  groove.SetParameter("CAM_TurningDepthOnPass", Variant(c.units == "in" ? 0.04 : 1.0));
  if (allowance) groove.SetParameter("CAM_TurningFinishThickness", Variant(*allowance));

  Verdict verdict;
  verdict.built = groove.DoGroove(Handle<BlockSet>(scene.blockSet));
  const OperationState& state = StateOf(groove);
  verdict.detail = state.failureDetail;
  for (const auto& shown : scene.host.messages->Messages()) verdict.detail += " | " + shown.prompt;
  if (!verdict.built) return verdict;

  const Contour& path = state.toolPath;
  const Contour& blank = state.contours.blank;
  const Contour& part = state.contours.partDrawn;
  const Contour& region = state.contours.grooveDrawn;
  const double eps = 1e-6 * std::max(1.0, std::fabs(start.u) + std::fabs(start.v));
  verdict.closedAtStart = !path.Empty() &&
                          std::fabs(path.First().StartPt.x - start.u) < eps &&
                          std::fabs(path.First().StartPt.y - start.v) < eps &&
                          std::fabs(path.Last().EndPt.x - start.u) < eps &&
                          std::fabs(path.Last().EndPt.y - start.v) < eps;

  MachiningCheckInput in;
  in.toolPath = &path;
  // The body reaches above the stock from anywhere in it: the insert cannot pass under an
  // overhang. (Much longer, and the polygon library's rescaling loses the insert's corners.)
  double v0 = kInf, v1 = -kInf;
  for (const Segment& s : blank.Segs) {
    for (const Point3& q : {s.StartPt, s.EndPt}) {
      const double v = ToFrame(c.kind, q.x, q.y).v;
      v0 = std::min(v0, v);
      v1 = std::max(v1, v);
    }
  }
  in.insert = {c.toolWidth, state.tool.GeomCornerRadius, c.kind, (v1 - v0) + c.toolWidth};
  in.blank = &blank;
  in.finishedPart = &part;
  in.regionToMachine = &region;
  in.tolerance = 1e-5 * std::max(c.toolWidth, 0.1);
  const MachiningReport report = CheckMachining(in);
  verdict.gouge = report.gougeDepth;
  for (const Segment& s : path.Segs) verdict.arcs += s.IsArc() ? 1 : 0;
  double outline = 0.0;
  for (const Segment& s : region.Segs) outline += s.Length;
  verdict.stockMismatch =
      std::fabs(Area(state.contours.remaining, in.tolerance) - report.stockLeftArea) / outline;
  for (const PositioningHit& h : report.positioningHits) {
    verdict.positioning = std::max(verdict.positioning, h.depth);
  }

  // Material left: every vertex of the uncut pieces and a grid over each, measured against
  // what the insert can reach.
  double u0 = kInf, u1 = -kInf;
  for (const Segment& s : region.Segs) {
    for (const Point3& q : {s.StartPt, s.EndPt}) {
      const P2 f = ToFrame(c.kind, q.x, q.y);
      u0 = std::min(u0, f.u);
      u1 = std::max(u1, f.u);
    }
  }
  const Reach reach(c.kind, part, c.toolWidth, state.tool.GeomCornerRadius,
                    u0 - c.toolWidth - 1.0, u1 + c.toolWidth + 1.0);
  const auto measure = [&](double x, double y) {
    const double depth = reach.Depth(ToFrame(c.kind, x, y));
    if (depth > verdict.leftReachable) {
      verdict.leftReachable = depth;
      verdict.leftAt[0] = x;
      verdict.leftAt[1] = y;
    }
  };
  for (const auto& ring : report.uncutOutlines) {
    if (ring.size() < 3) continue;
    double x0 = kInf, x1 = -kInf, y0 = kInf, y1 = -kInf;
    for (const auto& q : ring) {
      measure(q[0], q[1]);
      x0 = std::min(x0, q[0]);
      x1 = std::max(x1, q[0]);
      y0 = std::min(y0, q[1]);
      y1 = std::max(y1, q[1]);
    }
    constexpr int kGrid = 12;
    for (int i = 1; i < kGrid; ++i) {
      for (int j = 1; j < kGrid; ++j) {
        const double x = x0 + (x1 - x0) * i / kGrid;
        const double y = y0 + (y1 - y0) * j / kGrid;
        if (InRing(ring, x, y)) measure(x, y);
      }
    }
  }
  return verdict;
}

}  // namespace sulkor::testing
