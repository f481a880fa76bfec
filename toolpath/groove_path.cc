#include "toolpath/groove_path.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <vector>

#include "geometry/contour_ops.h"
#include "geometry/contour_utils.h"
#include "geometry/primitives.h"
#include "geometry/segment_build.h"
#include "groove/work_kind.h"
#include "sulkor/error.h"
#include "toolpath/cut_region.h"

namespace sulkor {
namespace {

constexpr std::string_view kExternal = "External";
constexpr std::string_view kSingle = "Single";

constexpr double kRangeShrink = 1e-5;   // the probes stay this far inside the region's ends
constexpr double kProbeOvershoot = 1e-3;  // probes start and end this far outside the region
constexpr double kLevelTol = 1e-4;      // bottoms within this are one level
constexpr double kSpacing = 0.9;        // plunges at most this many tool widths apart
constexpr double kShortChord = 0.1;     // chords of at most this many tool widths are not cut
constexpr double kRisingWall = 0.1;     // a wall this many tool widths high ends a side
constexpr int32_t kStretchSteps = 100000;

// What sets the four kinds of work apart. The plunge runs along the plunge axis in its sense;
// "up" is against that sense, "top" the extreme of a contour against it, "bottom" the extreme in
// it. The plunges are spaced along the cross axis.
struct PathVariant {
  bool alongX;             // plunge axis x (faces), else y (turning)
  double sense;            // -1: plunges towards smaller values, +1 towards larger
  double chordTangent;     // direction of probes, chords, plunges and pecks
  double backOffTangent;   // direction of the back-off after a peck
  double clearance;        // added above every plunge, in tool widths
  double arcTestOffset;    // right of a finishing arc's mid point, the point that classifies it
  bool edgeTest;           // a groove edge blocked by stock sends the path over the safe level
  bool probeCountAlongPlunge;  // the probe count comes from the extent along the plunge axis
  bool probeFromOutline;   // the probes start before the outline to clear, not before R
};

const PathVariant& VariantOf(WorkKind kind) {
  static const PathVariant kOutside{false, -1.0, 3.0 * kPi / 2.0, kPi / 2.0, 0.5, 0.01,
                                    true,  false, false};
  static const PathVariant kBore{false, 1.0, kPi / 2.0, 3.0 * kPi / 2.0, 1.0, 1e-4,
                                 false, false, true};
  static const PathVariant kFront{true, -1.0, kPi, 0.0, 1.0, 1e-4, false, true, false};
  static const PathVariant kBack{true, 1.0, 0.0, kPi, 0.5, 1e-4, false, true, false};
  switch (kind) {
    case WorkKind::OutsideDiameter: return kOutside;
    case WorkKind::Bore: return kBore;
    case WorkKind::FrontFace: return kFront;
    case WorkKind::BackFace: return kBack;
  }
  throw GeometryError("unknown kind of work");
}

// Coordinates along the plunge axis ("along") and the cross axis ("across").
struct Frame {
  const PathVariant& v;

  double Along(const Point3& p) const { return v.alongX ? p.x : p.y; }
  double Across(const Point3& p) const { return v.alongX ? p.y : p.x; }
  Point3 At(double across, double along) const {
    return v.alongX ? Point3{along, across, 0.0} : Point3{across, along, 0.0};
  }
  double AlongMin(const Contour& c) const { return v.alongX ? c.MinX : c.MinY; }
  double AlongMax(const Contour& c) const { return v.alongX ? c.MaxX : c.MaxY; }
  double AcrossMin(const Contour& c) const { return v.alongX ? c.MinY : c.MinX; }
  double AcrossMax(const Contour& c) const { return v.alongX ? c.MaxY : c.MaxX; }
  double Top(const Contour& c) const { return v.sense < 0 ? AlongMax(c) : AlongMin(c); }
  double Bottom(const Contour& c) const { return v.sense < 0 ? AlongMin(c) : AlongMax(c); }
  double Up(double along, double distance) const { return along - v.sense * distance; }
  // How far b lies beyond a in the plunge sense.
  double Beyond(double a, double b) const { return v.sense * (b - a); }
};

Segment Move(const Point3& from, const Point3& to, int16_t moveType, int16_t phase) {
  Segment s = MakeLine(from.x, from.y, to.x, to.y);
  s.MoveType = moveType;
  s.Phase = phase;
  return s;
}

// A straight move along the plunge axis with the direction and length stated, not computed.
Segment AxisMove(const Point3& from, const Point3& to, double tangent, double length,
                 int16_t moveType, int16_t phase) {
  Segment s = Move(from, to, moveType, phase);
  s.Tangent[0] = tangent;
  s.Tangent[1] = tangent;
  s.Length = length;
  return s;
}

bool SamePoint(const Point3& a, const Point3& b) {
  return std::fabs(a.x - b.x) <= kEps && std::fabs(a.y - b.y) <= kEps;
}

// Whether the straight move crosses the contour.
bool Meets(GeometryServices& geometry, const Contour& contour, const Segment& move) {
  IntersectionResult hits;
  return geometry.Intersect(contour, MakeContour({move}), hits);
}

class PathBuilder {
 public:
  PathBuilder(OperationState& state, WorkKind kind)
      : state_(state),
        geometry_(state.Geometry()),
        c_(state.contours),
        kind_(kind),
        v_(VariantOf(kind)),
        f_{v_},
        w_(state.tool.Width),
        r_(state.tool.GeomCornerRadius) {}

  bool Build(Contour& toolPath);

 private:
  void Extents();
  void EdgeTest();
  void ProbeChords();
  void ChoosePlunges();
  void Rough();
  void FinishingChain();
  void SplitSides(Contour& chain, std::vector<Segment>& first, std::vector<Segment>& second);
  void OffsetChain();
  void Stretch(Contour& chain);

  void AssembleOutside();
  void AssembleBore();
  void AssembleFront();
  void AssembleBack();
  void RemovedMaterial(const Contour& toolPath);

  // The path under assembly.
  Point3 P() const { return path_.back().EndPt; }
  void To(const Point3& to, int16_t moveType, int16_t phase = kPhaseNone) {
    path_.push_back(Move(P(), to, moveType, phase));
  }
  void Cut(const Point3& to) { To(to, kMoveCutting, kPhaseFinishing); }
  void Append(const std::vector<Segment>& moves) {
    path_.insert(path_.end(), moves.begin(), moves.end());
  }

  OperationState& state_;
  GeometryServices& geometry_;
  WorkingContours& c_;
  WorkKind kind_;
  const PathVariant& v_;
  Frame f_;
  double w_;
  double r_;

  Contour region_;  // R, the cut region
  double acrossLow_ = 0.0, acrossHigh_ = 0.0, width_ = 0.0;
  double safeLevel_ = 0.0;
  bool edgeBlocked_ = false;
  ContourList chords_;
  std::vector<Segment> plunges_;
  std::vector<Segment> rough_;
  Contour finish_;  // F
  bool closedFinish_ = false;
  std::vector<Segment> f1_, f2_, o1_, o2_;
  std::vector<Segment> path_;
};

// 2. The cross range of R, less 1e-5 at each end, and the safe level above the blank.
void PathBuilder::Extents() {
  ContourBounds(geometry_, region_);
  acrossHigh_ = f_.AcrossMax(region_) - kRangeShrink;
  acrossLow_ = f_.AcrossMin(region_) + kRangeShrink;
  width_ = acrossHigh_ - acrossLow_;
  ContourBounds(geometry_, c_.blank);
  safeLevel_ = c_.blank.MaxY + w_;
}

// 3. A vertical line from either groove edge up to the clearance height that meets the remaining
// stock sends the path over the work contour's safe level.
void PathBuilder::EdgeTest() {
  const double height = (c_.blank.MaxY + w_) - (c_.blank.MinY - w_);
  const double y0 = region_.MaxY + kRangeShrink;
  for (const double x : {acrossHigh_, acrossLow_}) {
    const Segment probe =
        AxisMove({x, y0, 0.0}, {x, y0 + height, 0.0}, kPi / 2.0, height, kMovePositioning,
                 kPhaseNone);
    IntersectionResult hits;
    if (geometry_.Intersect(c_.remaining, MakeContour({probe}), hits)) {
      ContourBounds(geometry_, c_.work);
      safeLevel_ = c_.work.MaxY + w_;
      edgeBlocked_ = true;
      return;
    }
  }
}

// 4. Probes across R, about a hundred per tool width: each one's first span of R below R's top
// becomes a chord, in order along the cross axis.
void PathBuilder::ProbeChords() {
  const double pitch = w_ / 100.0;
  if (pitch == 0.0) throw GeometryError("division by zero: a tool of no width");
  const double extent =
      v_.probeCountAlongPlunge ? f_.AlongMax(region_) - f_.AlongMin(region_) : width_;
  const double count = std::floor(extent / pitch);
  if (count == 0.0) throw GeometryError("division by zero: the cut region is too narrow to probe");
  if (!(count <= std::numeric_limits<int32_t>::max())) {
    throw GeometryError("overflow: too many probes");
  }
  const int32_t n = static_cast<int32_t>(count);
  const double step = width_ / n;

  double start = f_.Up(f_.Top(region_), kProbeOvershoot);
  if (v_.probeFromOutline) {
    ContourBounds(geometry_, c_.toClear);
    start = f_.Up(f_.Top(c_.toClear), kProbeOvershoot);
  }
  const double end = f_.Bottom(region_) + v_.sense * kProbeOvershoot;
  const double span = f_.AlongMax(region_) - f_.AlongMin(region_);

  chords_.Contours.clear();
  for (int32_t i = 0; i <= n; ++i) {
    const double across = acrossLow_ + i * step;
    const Segment probe = AxisMove(f_.At(across, start), f_.At(across, end), v_.chordTangent,
                                   std::fabs(end - start), kMovePositioning, kPhaseNone);
    IntersectionResult hits;
    if (!geometry_.Intersect(MakeContour({probe}), region_, hits) || hits.Count() <= 1) continue;

    // A probe that meets R once or only where it enters is passed over.
    double top = f_.Bottom(region_) + v_.sense * 1.0;
    for (const Crossing& h : hits.Points) {
      const double a = f_.Along({h.X, h.Y, 0.0});
      if (f_.Beyond(top, a) < 0.0) top = a;
    }
    double bestGap = 2.0 * span;
    bool found = false;
    double bottom = top;
    for (const Crossing& h : hits.Points) {
      const double a = f_.Along({h.X, h.Y, 0.0});
      const double gap = f_.Beyond(top, a);
      if (gap > kEps && gap < bestGap) {
        bestGap = gap;
        bottom = a;
        found = true;
      }
    }
    if (!found) continue;
    Contour chord = MakeContour({AxisMove(f_.At(across, top), f_.At(across, bottom),
                                          v_.chordTangent, std::fabs(top - bottom), kMoveCutting,
                                          kPhaseRoughing)});
    chord.Mark = 0;
    chords_.Contours.push_back(chord);
  }
}

// 5. The plunges: a chord at most 0.9 w from the last plunge is absorbed by it unless the bottom
// changes level there; the last chord is always cut; chords of 0.1 w or less never.
void PathBuilder::ChoosePlunges() {
  std::vector<Contour>& ch = chords_.Contours;
  const int32_t n = static_cast<int32_t>(ch.size());
  const auto bottom = [&](int32_t k) { return f_.Along(ch[static_cast<size_t>(k)].First().EndPt); };
  const auto across = [&](int32_t k) {
    return f_.Across(ch[static_cast<size_t>(k)].First().EndPt);
  };
  for (int32_t i = 0; i < n; ++i) {
    if (ch[static_cast<size_t>(i)].Mark) continue;
    const double bi = bottom(i);
    const double xi = across(i);
    for (int32_t j = i + 1; j < n; ++j) {
      const double bj = bottom(j);
      if (j + 1 < n) {
        const double next = std::fabs(bottom(j + 1) - bj);
        const double prev = std::fabs(bottom(j - 1) - bj);
        if (next < kEps && std::fabs(bi - bj) > kLevelTol) break;  // j begins a new level
        if (prev < kEps && next > kLevelTol) break;                // j ends a level
        if (prev > kLevelTol && next < kEps) break;                // j begins a level
      }
      if (std::fabs(xi - across(j)) >= kSpacing * w_) break;
      ch[static_cast<size_t>(j)].Mark = -1;
    }
  }
  if (n > 0) ch.back().Mark = 0;

  plunges_.clear();
  for (const Contour& chord : ch) {
    if (chord.Mark || !(chord.First().Length > kShortChord * w_)) continue;
    Segment plunge = chord.First();
    // 6. Clearance above the region.
    const double lift = v_.clearance * w_;
    const double top = f_.Up(f_.Along(plunge.StartPt), lift);
    const Point3 start = f_.At(f_.Across(plunge.StartPt), top);
    plunge.StartPt.x = start.x;
    plunge.StartPt.y = start.y;
    plunge.Length += lift;
    plunge.MoveType = kMoveCutting;
    plunges_.push_back(plunge);
  }
}

// 7. Every plunge in pecks of at most the depth per pass, backing off w / 2 between them, then
// straight back out.
void PathBuilder::Rough() {
  rough_.clear();
  const double dpp = state_.params.DepthOnPass;
  Point3 previous{};
  for (size_t k = 0; k < plunges_.size(); ++k) {
    const Segment& plunge = plunges_[k];
    const Point3 t = plunge.StartPt;
    const double top = f_.Along(t);
    const double bottom = f_.Along(plunge.EndPt);
    const double across = f_.Across(t);
    if (k > 0) rough_.push_back(Move(previous, t, kMovePositioning, kPhaseNone));
    const int16_t pecks = PeckCount(std::fabs(bottom - top), dpp);
    if (pecks == 1) {
      Segment cut = plunge;
      cut.MoveType = kMoveCutting;
      cut.Phase = kPhaseRoughing;
      rough_.push_back(cut);
    } else {
      const double step = (bottom - top) / pecks;
      double from = top;
      for (int16_t s = 0; s < pecks; ++s) {
        const double to = top + (s + 1) * step;
        rough_.push_back(AxisMove(f_.At(across, from), f_.At(across, to), v_.chordTangent,
                                  std::fabs(to - from), kMoveCutting, kPhaseRoughing));
        from = to;
        if (s + 1 < pecks) {
          const double backed = f_.Up(to, w_ / 2.0);
          rough_.push_back(AxisMove(f_.At(across, to), f_.At(across, backed), v_.backOffTangent,
                                    w_ / 2.0, kMovePositioning, kPhaseNone));
          from = backed;
        }
      }
    }
    Contour out = MakeContour({plunge});
    ReverseContour(out);
    Segment back = out.First();
    back.MoveType = kMovePositioning;
    back.Phase = kPhaseNone;
    rough_.push_back(back);
    previous = back.EndPt;
  }
}

// 9. The boundary segments of R beyond which the blank still holds material, as one run.
void PathBuilder::FinishingChain() {
  finish_.Reset();
  for (const Segment& s : region_.Segs) {
    double x = 0.0, y = 0.0;
    if (s.IsLine()) {
      const double a = s.Tangent[0];
      x = s.StartPt.x + s.Length / 2.0 * std::cos(a) + kProbeEps * std::sin(a);
      y = s.StartPt.y + s.Length / 2.0 * std::sin(a) - kProbeEps * std::cos(a);
    } else if (s.IsArc()) {
      double t0 = 0.0, t = 0.0;
      ArcEndTangents(s.StartPt.x, s.StartPt.y, s.MidPt.x, s.MidPt.y, s.Center.x, s.Center.y,
                     s.Radius, s.Direction, t0, t);
      x = s.MidPt.x + v_.arcTestOffset * std::sin(t);
      y = s.MidPt.y - v_.arcTestOffset * std::cos(t);
    } else {
      continue;
    }
    if (geometry_.PointInContour(c_.blank, x, y) == kInside) finish_.Segs.push_back(s);
  }
  closedFinish_ = false;
  if (finish_.Empty()) return;
  if (SamePoint(finish_.First().StartPt, finish_.Last().EndPt)) {
    std::vector<Segment>& segs = finish_.Segs;
    for (size_t k = 0; k + 1 < segs.size(); ++k) {
      if (!SamePoint(segs[k].EndPt, segs[k + 1].StartPt)) {
        std::vector<Segment> rotated(segs.begin() + static_cast<std::ptrdiff_t>(k) + 1,
                                     segs.end());
        rotated.insert(rotated.end(), segs.begin(),
                       segs.begin() + static_cast<std::ptrdiff_t>(k) + 1);
        segs = std::move(rotated);
        break;
      }
    }
    closedFinish_ = SamePoint(finish_.First().StartPt, finish_.Last().EndPt);
  }
}

// 11. The chain's two sides: from its start as long as no wall rises against the plunge, then
// the rest from its far end; both finished in the plunge sense. Leaves the chain reversed.
void PathBuilder::SplitSides(Contour& chain, std::vector<Segment>& first,
                             std::vector<Segment>& second) {
  first.clear();
  second.clear();
  for (Segment& s : chain.Segs) s.Visited = false;
  for (Segment& s : chain.Segs) {
    const double rise = f_.Beyond(f_.Along(s.StartPt), f_.Along(s.EndPt));
    if (rise <= kEps && std::fabs(f_.Along(s.EndPt) - f_.Along(s.StartPt)) >= kRisingWall * w_) {
      break;
    }
    s.MoveType = kMoveCutting;
    s.Phase = kPhaseFinishing;
    s.Visited = true;
    first.push_back(s);
  }
  ReverseContour(chain);
  for (Segment& s : chain.Segs) {
    if (s.Visited) continue;
    s.MoveType = kMoveCutting;
    s.Phase = kPhaseFinishing;
    s.Visited = true;
    second.push_back(s);
  }
}

// 12. Stretches both ends of the offset chain, in steps of w / 100, until they leave the blank.
void PathBuilder::Stretch(Contour& chain) {
  const double stepLength = w_ / 100.0;
  const auto pull = [](const Segment& s, double& x, double& y) {
    if (!s.IsArc()) return;
    const double d = std::hypot(x - s.Center.x, y - s.Center.y);
    if (d == 0.0) throw GeometryError("division by zero: a stretch candidate at an arc's centre");
    x = s.Center.x + (x - s.Center.x) * std::fabs(s.Radius) / d;
    y = s.Center.y + (y - s.Center.y) * std::fabs(s.Radius) / d;
  };
  const auto refresh = [](Segment& s) {
    if (s.IsLine()) {
      LineLengthAngle(s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y, s.Length, s.Tangent[0]);
      s.Tangent[1] = s.Tangent[0];
    } else if (s.IsArc()) {
      ArcMidPoint(s.Center.x, s.Center.y, s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y,
                  s.Radius, s.Direction, s.MidPt.x, s.MidPt.y);
      ArcEndTangents(s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y, s.Center.x, s.Center.y,
                     s.Radius, s.Direction, s.Tangent[0], s.Tangent[1]);
    }
  };

  Segment& first = chain.Seg(0);
  {
    const double a = first.Tangent[0] + kPi;
    for (int32_t k = 0; k <= kStretchSteps; ++k) {
      double x = first.StartPt.x + k * stepLength * std::cos(a);
      double y = first.StartPt.y + k * stepLength * std::sin(a);
      pull(first, x, y);
      if (geometry_.PointInContour(c_.blank, x, y) != kInside) {
        first.StartPt.x = x;
        first.StartPt.y = y;
        refresh(first);
        break;
      }
    }
  }
  Segment& last = chain.Seg(chain.Count() - 1);
  {
    const double a = last.IsArc() ? last.Tangent[1] : last.Tangent[0];
    for (int32_t k = 0; k <= kStretchSteps; ++k) {
      double x = last.EndPt.x + k * stepLength * std::cos(a);
      double y = last.EndPt.y + k * stepLength * std::sin(a);
      pull(last, x, y);
      if (geometry_.PointInContour(c_.blank, x, y) != kInside) {
        last.EndPt.x = x;
        last.EndPt.y = y;
        refresh(last);
        break;
      }
    }
  }
}

// 12. The finishing chain offset by the finish thickness, towards the finished profile.
void PathBuilder::OffsetChain() {
  o1_.clear();
  o2_.clear();
  const double t = state_.params.FinishThickness;
  if (!(t > kProbeEps)) return;
  ReverseContour(finish_);
  ContourList list;
  if (!geometry_.Offset(finish_, kExternal, t, kSingle, 0, list) || list.Count() == 0) return;
  Contour offset = list.Contours[0];
  for (const Segment& s : offset.Segs) {
    const double x = s.IsLine() ? (s.StartPt.x + s.EndPt.x) / 2.0 : s.MidPt.x;
    const double y = s.IsLine() ? (s.StartPt.y + s.EndPt.y) / 2.0 : s.MidPt.y;
    if (geometry_.PointInContour(c_.blank, x, y) != kInside) continue;
    if (geometry_.PointInContour(region_, x, y) == kInside) {
      ContourList again;
      if (geometry_.Offset(finish_, kExternal, t, kSingle, 0, again) && again.Count() > 0) {
        offset = again.Contours[0];
      }
    }
    break;
  }
  SimplifyContour(offset);
  if (offset.Empty()) return;
  if (!closedFinish_) Stretch(offset);
  SplitSides(offset, o1_, o2_);
}

// 13. "Turn", 1: start marker, approach (over the safe level when the straight move would cross
// the blank or an edge is blocked), roughing, the finishing blocks, the return.
void PathBuilder::AssembleOutside() {
  const Point3 s{state_.params.StartPointZ, state_.params.StartPointX / 2.0, 0.0};
  path_.push_back(Move(s, s, kMovePositioning, kPhaseNone));
  const Point3 t0 = rough_.front().StartPt;
  const Segment across = Move(s, {t0.x, s.y, 0.0}, kMovePositioning, kPhaseNone);
  if (edgeBlocked_ || Meets(geometry_, c_.blank, across)) {
    To({s.x, safeLevel_, 0.0}, kMovePositioning);
    To({t0.x, safeLevel_, 0.0}, kMovePositioning);
    To(t0, kMovePositioning);
  } else {
    path_.push_back(across);
    To(t0, kMovePositioning);
  }
  Append(rough_);

  if (!f1_.empty()) {
    const Point3 q = f1_.front().StartPt;
    if (q.y + kEps < P().y) {
      To({q.x, P().y, 0.0}, kMovePositioning);
    } else {
      To({P().x, q.y, 0.0}, kMovePositioning);
    }
    To(q, kMovePositioning);
    Append(f1_);
  }
  const double closedLevel = c_.work.MaxY + w_;
  if (!f2_.empty()) {
    const Point3 q = f2_.front().StartPt;
    To({P().x, q.y + w_ / 2.0, 0.0}, kMovePositioning);
    To({q.x, q.y + w_ / 2.0, 0.0}, kMovePositioning);
    Cut(q);
    Append(f2_);
    To({P().x, closedFinish_ ? closedLevel : q.y + w_, 0.0}, kMovePositioning);
  }
  if (!o1_.empty()) {
    const Point3 q = o1_.front().StartPt;
    To({q.x, P().y, 0.0}, kMovePositioning);
    Cut(q);
    Append(o1_);
  }
  if (!o2_.empty()) {
    const Point3 q = o2_.front().StartPt;
    To({P().x, q.y + w_ / 2.0, 0.0}, kMovePositioning);
    To({q.x, q.y + w_ / 2.0, 0.0}, kMovePositioning);
    Cut(q);
    Append(o2_);
    To({P().x, q.y + w_, 0.0}, kMovePositioning);
  }

  if (s.y > P().y) {
    To({P().x, s.y, 0.0}, kMovePositioning);
    const Segment home = Move(P(), s, kMovePositioning, kPhaseNone);
    if (edgeBlocked_ || Meets(geometry_, c_.blank, home)) {
      if (edgeBlocked_) path_.pop_back();
      To({P().x, safeLevel_, 0.0}, kMovePositioning);
      To({s.x, safeLevel_, 0.0}, kMovePositioning);
      To(s, kMovePositioning);
    } else {
      path_.push_back(home);
    }
  } else {
    path_.pop_back();
    To({P().x, safeLevel_, 0.0}, kMovePositioning);
    To({s.x, safeLevel_, 0.0}, kMovePositioning);
    To(s, kMovePositioning);
  }
}

// "Turn", -1: in along the axis at the first plunge's level; every finishing block entered from
// below and left w / 2 (the last one w) below its start; out along the axis.
void PathBuilder::AssembleBore() {
  const Point3 s{state_.params.StartPointZ, state_.params.StartPointX / 2.0, 0.0};
  const Point3 t0 = rough_.front().StartPt;
  path_.push_back(Move(s, {s.x, t0.y, 0.0}, kMovePositioning, kPhaseNone));
  To(t0, kMovePositioning);
  Append(rough_);
  if (!f1_.empty()) {
    const Point3 q = f1_.front().StartPt;
    To({q.x, P().y, 0.0}, kMovePositioning);
    Cut(q);
    Append(f1_);
  }
  const auto secondSide = [&](const std::vector<Segment>& side, double leave) {
    const Point3 q = side.front().StartPt;
    To({P().x, q.y - w_ / 2.0, 0.0}, kMoveCutting, kPhaseFinishing);
    To({q.x, q.y - w_ / 2.0, 0.0}, kMovePositioning);
    Cut(q);
    Append(side);
    To({P().x, q.y - leave, 0.0}, kMoveCutting, kPhaseFinishing);
  };
  if (!f2_.empty()) secondSide(f2_, w_ / 2.0);
  if (!o1_.empty()) {
    const Point3 q = o1_.front().StartPt;
    To({q.x, P().y, 0.0}, kMovePositioning);
    Cut(q);
    Append(o1_);
  }
  if (!o2_.empty()) secondSide(o2_, w_);
  // The return starts from the actual end of the path.
  To({s.x, P().y, 0.0}, kMovePositioning);
  To(s, kMovePositioning);
}

// "Face", 1: in along the face at the first plunge's height; the later finishing blocks entered
// from w beyond the region, outside the groove; out along the axis.
void PathBuilder::AssembleFront() {
  const Point3 s{state_.params.StartPointZ, state_.params.StartPointX / 2.0, 0.0};
  const Point3 t0 = rough_.front().StartPt;
  path_.push_back(Move(s, {s.x, t0.y, 0.0}, kMovePositioning, kPhaseNone));
  To(t0, kMovePositioning);
  Append(rough_);
  if (!f1_.empty()) {
    const Point3 q = f1_.front().StartPt;
    To({P().x, q.y, 0.0}, kMovePositioning);
    Cut(q);
    Append(f1_);
  }
  const double outside = region_.MaxX + w_;
  for (const std::vector<Segment>* block : {&f2_, &o1_, &o2_}) {
    if (block->empty()) continue;
    const Point3 q = block->front().StartPt;
    To({outside, P().y, 0.0}, kMovePositioning);
    To({outside, q.y, 0.0}, kMovePositioning);
    Cut(q);
    Append(*block);
  }
  To({s.x, P().y, 0.0}, kMovePositioning);
  To(s, kMovePositioning);
}

// "Face", -1: approach and return along the axis, over the blank when the straight move would
// cross it; the second sides entered and left w / 2 before their start.
void PathBuilder::AssembleBack() {
  const Point3 s{state_.params.StartPointZ, state_.params.StartPointX / 2.0, 0.0};
  const Point3 t0 = rough_.front().StartPt;
  const double level = c_.blank.MaxY + w_;
  const Segment along = Move(s, {t0.x, s.y, 0.0}, kMovePositioning, kPhaseNone);
  if (Meets(geometry_, c_.blank, along)) {
    path_.push_back(Move(s, {s.x, level, 0.0}, kMovePositioning, kPhaseNone));
    To({t0.x, level, 0.0}, kMovePositioning);
  } else {
    path_.push_back(along);
  }
  To(t0, kMovePositioning);
  Append(rough_);
  const auto firstSide = [&](const std::vector<Segment>& side) {
    const Point3 q = side.front().StartPt;
    To({P().x, q.y, 0.0}, kMovePositioning);
    Cut(q);
    Append(side);
  };
  const auto secondSide = [&](const std::vector<Segment>& side) {
    const Point3 q = side.front().StartPt;
    const double x = q.x - w_ / 2.0;
    To({x, P().y, 0.0}, kMoveCutting, kPhaseFinishing);
    To({x, q.y, 0.0}, kMovePositioning);
    Cut(q);
    Append(side);
    To({x, P().y, 0.0}, kMoveCutting, kPhaseFinishing);
  };
  if (!f1_.empty()) firstSide(f1_);
  if (!f2_.empty()) secondSide(f2_);
  if (!o1_.empty()) firstSide(o1_);
  if (!o2_.empty()) secondSide(o2_);

  To({P().x, s.y, 0.0}, kMovePositioning);
  const Segment home = Move(P(), s, kMovePositioning, kPhaseNone);
  if (Meets(geometry_, c_.blank, home)) {
    To({P().x, level, 0.0}, kMovePositioning);
    To({s.x, level, 0.0}, kMovePositioning);
    To(s, kMovePositioning);
  } else {
    path_.push_back(home);
  }
}

// 14. The removed-material outline loses what lies beyond the tool's deepest point, and the
// remaining stock is the blank less the outline grown by 1e-4.
void PathBuilder::RemovedMaterial(const Contour& toolPath) {
  Contour path = toolPath;
  ContourBounds(geometry_, path);
  ContourBounds(geometry_, c_.blank);
  const Contour& b = c_.blank;
  double x0 = b.MinX - 1.0, x1 = b.MaxX + 1.0, y0 = b.MinY - 1.0, y1 = b.MaxY + 1.0;
  const double beyond = r_ + kProbeEps;
  switch (kind_) {
    case WorkKind::OutsideDiameter: y1 = path.MinY - beyond; break;
    case WorkKind::Bore: y0 = path.MaxY + beyond; break;
    case WorkKind::FrontFace: x1 = path.MinX - beyond; break;
    case WorkKind::BackFace: x0 = path.MaxX + beyond; break;
  }
  const Contour rectangle = MakeContour({
      AxisMove({x1, y0, 0.0}, {x1, y1, 0.0}, kPi / 2.0, y1 - y0, 0, 0),
      AxisMove({x1, y1, 0.0}, {x0, y1, 0.0}, kPi, x1 - x0, 0, 0),
      AxisMove({x0, y1, 0.0}, {x0, y0, 0.0}, 3.0 * kPi / 2.0, y1 - y0, 0, 0),
      AxisMove({x0, y0, 0.0}, {x1, y0, 0.0}, 0.0, x1 - x0, 0, 0),
  });

  Contour& outline = c_.toMachine;
  IntersectionResult hits;
  if (!geometry_.Intersect(outline, rectangle, hits)) return;
  ContourList trimmed;
  if (!geometry_.Clip(outline, rectangle, hits, trimmed) || trimmed.Count() == 0) return;
  outline = trimmed.Contours[0];
  SimplifyContour(outline);

  ContourList grown;
  if (!geometry_.Offset(outline, kExternal, kProbeEps, kSingle, 0, grown) || grown.Count() == 0) {
    return;
  }
  Contour t = grown.Contours[0];
  SimplifyContour(t);
  IntersectionResult blankHits;
  if (!geometry_.Intersect(c_.blank, t, blankHits)) return;
  ContourList rest;
  if (!geometry_.Clip(c_.blank, t, blankHits, rest) || rest.Count() == 0) return;
  c_.remaining = rest.Contours[0];
}

bool PathBuilder::Build(Contour& toolPath) {
  // 1.-7. The cut region, its extents, the probes and the plunge roughing.
  if (!BuildCutRegion(state_, region_)) return false;
  Extents();
  if (v_.edgeTest) EdgeTest();
  ProbeChords();
  ChoosePlunges();
  Rough();
  if (rough_.empty()) return false;

  // 8.-10. The finishing chain along R's boundary where material remains.
  if (ContourOrientation(geometry_, region_) == -1) ReverseContour(region_);
  FinishingChain();
  if (closedFinish_) {
    ContourBounds(geometry_, c_.work);
    const double top = f_.Up(f_.Top(c_.work), w_);
    for (Segment& plunge : plunges_) {
      const Point3 start = f_.At(f_.Across(plunge.StartPt), top);
      plunge.StartPt.x = start.x;
      plunge.StartPt.y = start.y;
      plunge.Length = std::fabs(top - f_.Along(plunge.EndPt));
      plunge.MoveType = kMoveCutting;
    }
    Rough();
  }

  // 11., 12. The two sides of the chain and of its offset.
  SplitSides(finish_, f1_, f2_);
  MergeSegments(finish_);
  OffsetChain();

  // 13. The tool path.
  path_.clear();
  switch (kind_) {
    case WorkKind::OutsideDiameter: AssembleOutside(); break;
    case WorkKind::Bore: AssembleBore(); break;
    case WorkKind::FrontFace: AssembleFront(); break;
    case WorkKind::BackFace: AssembleBack(); break;
  }
  toolPath.Reset();
  toolPath.Segs = std::move(path_);
  DropShortLines(toolPath);

  // 14. An error here leaves the path complete and the answer false.
  return WithHandler([&] {
    RemovedMaterial(toolPath);
    return true;
  });
}

}  // namespace

int16_t PeckCount(double depth, double depthPerPass) {
  if (depth - kEps < depthPerPass || depthPerPass < kEps) return 1;
  const double pecks = std::floor(depth / depthPerPass) + 1.0;
  if (!(pecks <= std::numeric_limits<int16_t>::max())) {
    throw GeometryError("overflow: the peck count exceeds 16 bits");
  }
  return static_cast<int16_t>(pecks);
}

bool BuildGroovePath(OperationState& state, Contour& toolPath) {
  return WithHandler([&] {
    PathBuilder builder(state, KindOfWork(state.params.TrajectoryType, state.directionSign));
    return builder.Build(toolPath);
  });
}

}  // namespace sulkor
