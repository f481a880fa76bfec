#include "toolpath/groove_path.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "contour/contour_area.h"
#include "contour/contour_ops.h"
#include "contour/contour_utils.h"
#include "contour/primitives.h"
#include "contour/segment_build.h"
#include "operation/work_frame.h"
#include "sulkor/error.h"
#include "toolpath/envelope.h"

namespace sulkor {
namespace {

constexpr double kRangeShrink = 1e-5;  // the probes stay this far inside a range's ends
constexpr double kLevelTol = 1e-4;     // bottoms within this are one level
constexpr double kSpacing = 0.9;       // plunges at most this many tool widths apart
constexpr double kShortChord = 0.1;    // chords of at most this many tool widths are not plunged
constexpr double kRisingWall = 0.1;    // a wall this many tool widths high ends a side
// An insert enters a groove when it reaches this fraction of the groove's depth (or of its own
// width, for a deep groove) below the stock.
constexpr double kEnterFraction = 0.1;
// A position this close above the stock's envelope is clear of it: the envelopes are exact, so
// this only absorbs rounding.
constexpr double kClear = 1e-7;
// Moves shorter than this, in millimetres, are no moves.
constexpr double kShortMoveMm = 1e-5;
// A finishing pass that would take off less than this anywhere has nothing left to cut.
constexpr double kMaterial = 1e-4;
// The removed-material outline stays this far inside the stock's surface where it runs along
// it, so that it crosses the stock's outline instead of lying on it.
constexpr double kSliver = 1e-5;
// A finishing chain that starts or ends within this of the stock's clearance level needs no line
// from that level: the envelopes are exact, so this only absorbs rounding.
constexpr double kAtLevel = 1e-9;
// Where the insert stops, the groove's width is measured this fraction of the groove's depth
// below the deepest point its tip reaches.
constexpr double kBelowReach = 1e-3;

constexpr double kInf = std::numeric_limits<double>::infinity();

struct UV {
  double u = 0.0, v = 0.0;
};

Segment FrameMove(const UV& from, const UV& to, int16_t moveType, int16_t phase) {
  Segment s = MakeLine(from.u, from.v, to.u, to.v);
  s.MoveType = moveType;
  s.Phase = phase;
  return s;
}

UV Start(const Segment& s) { return {s.StartPt.x, s.StartPt.y}; }
UV End(const Segment& s) { return {s.EndPt.x, s.EndPt.y}; }

void Reverse(std::vector<Segment>& chain) {
  Contour c = MakeContour(chain);
  ReverseContour(c);
  chain = std::move(c.Segs);
}

// The pieces of the region within `radius` of the contour's outline, seen from above.
Pieces DilatedTop(const Contour& c, double radius) {
  Pieces pieces;
  for (const Segment& s : c.Segs) DilatedSegment(s, radius, true, pieces);
  return Envelope(pieces, true);
}

// The lowest point the tip reaches in each column while its reference point runs along the
// moves: each move swept by the flat (its ends and the move shifted by s), then widened by the
// corner radius.
Pieces TipFloor(const std::vector<Segment>& moves, double s, double r) {
  Pieces flat;
  for (const Segment& m : moves) {
    Pieces own;
    DilatedSegment(m, 0.0, false, own);
    for (const Piece& p : own) {
      flat.push_back(p);
      flat.push_back(p.Shifted(s, 0.0));
      if (p.arc && p.half < 0 && p.cu > p.u0 && p.cu < p.u1) {
        flat.push_back(Level(p.cu, p.cu + s, p.cv - p.radius));
      }
    }
    for (const Point3& e : {m.StartPt, m.EndPt}) flat.push_back(Level(e.x, e.x + s, e.y));
  }
  const Pieces floor = Envelope(flat, false);
  if (r <= 0.0) return floor;
  Pieces widened;
  for (const Piece& p : floor) {
    DilatedSegment(p.arc ? MakeArc(p.u0, p.At(p.u0), p.u1, p.At(p.u1), p.cu, p.cv,
                                   static_cast<int16_t>(p.half > 0 ? -1 : 1))
                         : MakeLine(p.u0, p.v0, p.u1, p.v1),
                   r, false, widened);
  }
  return Envelope(widened, false);
}

class PathBuilder {
 public:
  PathBuilder(OperationState& state, const WorkFrame& frame)
      : state_(state),
        geometry_(state.Geometry()),
        c_(state.contours),
        frame_(frame),
        k_(frame.Constants()),
        w_(state.tool.Width),
        r_(state.tool.GeomCornerRadius),
        s_(std::max(0.0, state.tool.Width - 2.0 * state.tool.GeomCornerRadius)),
        t_(state.params.FinishAllowance()) {
    if (k_.cornerBelowSpindleAxis) ceiling_ = -r_;
  }

  bool Build(Contour& toolPath);

 private:
  bool Envelopes();
  void ChoosePlunges(const Interval& range, const Pieces& level);
  void RoughingAndSemiFinish(std::vector<std::vector<Segment>>& blocks);
  void Rough();
  void Finishing(const Pieces& locus, double lo, double hi,
                 std::vector<std::vector<Segment>>& blocks);
  bool RemovesMaterial(const std::vector<Segment>& block) const;
  void Cut(const std::vector<Segment>& block);
  void Link(const UV& to, bool acrossFirst);
  bool Clear(const UV& p) const;
  bool ClearMove(const UV& a, const UV& b) const;
  double StockTop(double ua, double ub) const;
  void Tidy();
  void RemovedMaterial();
  std::string Narrowest() const;

  UV P() const { return End(path_.back()); }
  void To(const UV& to) { path_.push_back(FrameMove(P(), to, kMovePositioning, kPhaseNone)); }

  OperationState& state_;
  GeometryServices& geometry_;
  WorkingContours& c_;
  WorkFrame frame_;
  const KindConstants& k_;
  double w_, r_, s_, t_;

  Contour blank_, part_, groove_;  // in the frame
  double lo_ = 0.0, hi_ = 0.0;      // the columns that matter
  Pieces stockTop_;                 // the stock's surface, from above
  Pieces clearance_;                // lowest clear reference level over the stock
  Pieces finished_;                 // lowest reference level over the finished part
  // The lowest reference level that leaves an allowance of t, t/2, t/4, t/8 and 0 on the
  // finished part, computed when first asked for: where the groove has less room than w + 2t the
  // roughing and the first finishing pass leave the largest of these that fits.
  std::vector<double> allowances_;
  std::vector<std::optional<Pieces>> levels_;
  const Pieces& LevelAt(size_t k);
  std::vector<Interval> reach_;     // where the insert enters the stock at all
  double reached_ = 0.0;            // the deepest it gets below the stock
  // The highest level the reference point may take: in a bore the insert's corner circle stays
  // on its own side of the spindle axis, whatever the clearance asks for.
  double ceiling_ = kInf;
  std::vector<Segment> plunges_;    // from their start (clearance included) down
  std::vector<Segment> roughMoves_;
  Pieces cut_;                      // lowest point the tip has reached so far, per column
  std::vector<Segment> path_;
};

const Pieces& PathBuilder::LevelAt(size_t k) {
  if (!levels_[k]) {
    const double radius = r_ + allowances_[k];
    Pieces top = DilatedTop(part_, radius);
    // The floor keeps the reference point from running deeper than the groove's bottom where
    // the finished part has no outline below it (beyond an end of the part).
    top.push_back(Level(lo_ - radius, hi_ + s_ + radius, groove_.MinY + radius));
    levels_[k] = WindowExtreme(Envelope(top, true), s_, true);
  }
  return *levels_[k];
}

bool PathBuilder::Envelopes() {
  allowances_.clear();
  if (t_ > 0.0) {
    for (const double f : {1.0, 0.5, 0.25, 0.125}) allowances_.push_back(f * t_);
  }
  allowances_.push_back(0.0);
  levels_.assign(allowances_.size(), std::nullopt);
  blank_ = frame_.ToFrame(c_.blank);
  part_ = frame_.ToFrame(c_.partDrawn);
  groove_ = frame_.ToFrame(c_.grooveDrawn);
  ContourBounds(geometry_, groove_);
  lo_ = groove_.MinX - s_ - r_ - w_;
  hi_ = groove_.MaxX + r_ + w_;

  stockTop_ = DilatedTop(blank_, 0.0);
  clearance_ = WindowExtreme(DilatedTop(blank_, r_), s_, true);
  finished_ = LevelAt(allowances_.size() - 1);
  reach_ = WhereBelow(finished_, clearance_, kEps, lo_, hi_);
  if (reach_.empty()) return false;
  // An insert that gets no deeper into the groove than a tenth of its depth and of its own width
  // (its corners dip between the edges of a groove narrower than itself) does not enter it.
  reached_ = std::max(0.0, MaxDifference(finished_, clearance_, lo_, hi_));
  const double depth = groove_.MaxY - groove_.MinY;
  return reached_ >= kEnterFraction * std::min(depth, w_);
}

// Probes a hundred per tool width across the range: each gives a chord from where the insert
// meets the stock down to the roughing level. A chord at most 0.9 w from the last plunge is
// absorbed by it unless the bottom changes level there; the last chord is always plunged;
// chords of 0.1 w or less never.
void PathBuilder::ChoosePlunges(const Interval& range, const Pieces& level) {
  struct Chord {
    double u, top, bottom;
    bool marked = false;
  };
  std::vector<Chord> chords;
  double a = range.lo + kRangeShrink;
  double b = range.hi - kRangeShrink;
  if (b < a) a = b = 0.5 * (range.lo + range.hi);
  const double count = std::floor((b - a) / (w_ / 100.0));
  if (!(count < 1e7)) throw GeometryError("overflow: too many probes");
  const int32_t n = static_cast<int32_t>(count);
  // The probes, and beside every breakpoint of the level a probe on either side of it, so that a
  // plunge where the bottom changes level stands exactly where it changes.
  std::vector<double> probes;
  for (int32_t i = 0; i <= n; ++i) probes.push_back(n == 0 ? a : a + (b - a) * i / n);
  for (const Piece& p : level) {
    for (const double u : {p.u0 + kRangeShrink, p.u1 - kRangeShrink}) {
      if (u > a && u < b) probes.push_back(u);
    }
  }
  std::sort(probes.begin(), probes.end());
  for (const double u : probes) {
    if (!chords.empty() && u - chords.back().u < kEps) continue;
    const std::optional<double> top = ValueAt(clearance_, u);
    const std::optional<double> bottom = ValueAt(level, u);
    if (!top || !bottom || !(*bottom < *top - kEps)) continue;
    chords.push_back({u, *top, *bottom});
  }
  const int32_t m = static_cast<int32_t>(chords.size());
  const auto bottom = [&](int32_t k) { return chords[static_cast<size_t>(k)].bottom; };
  for (int32_t i = 0; i < m; ++i) {
    if (chords[static_cast<size_t>(i)].marked) continue;
    for (int32_t j = i + 1; j < m; ++j) {
      const double bj = bottom(j);
      if (j + 1 < m) {
        const double next = std::fabs(bottom(j + 1) - bj);
        const double prev = std::fabs(bottom(j - 1) - bj);
        if (next < kEps && std::fabs(bottom(i) - bj) > kLevelTol) break;  // j begins a level
        if (prev < kEps && next > kLevelTol) break;                         // j ends a level
        if (prev > kLevelTol && next < kEps) break;                         // j begins a level
      }
      // The plunge after this one stands no farther than 0.9 w away.
      if (j + 1 < m && chords[static_cast<size_t>(j + 1)].u - chords[static_cast<size_t>(i)].u >
                           kSpacing * w_) {
        break;
      }
      chords[static_cast<size_t>(j)].marked = true;
    }
  }
  if (m > 0) chords.back().marked = false;
  for (const Chord& chord : chords) {
    if (chord.marked || !(chord.top - chord.bottom > kShortChord * w_)) continue;
    const double start =
        std::max(chord.top, std::min(chord.top + k_.clearanceWidths * w_, ceiling_));
    Segment plunge = FrameMove({chord.u, start}, {chord.u, chord.bottom},
                               kMoveCutting, kPhaseRoughing);
    plunges_.push_back(plunge);
  }
}

// Over every part of the groove the insert can enter: plunges where the largest allowance that
// fits there (the whole allowance where the room allows) leaves the insert room, and the
// semi-finishing pass along that level. Pockets that lie deeper than that level by more than its
// allowance (a deeper step narrower than the rest) get plunges of their own at the largest
// allowance that fits in them.
void PathBuilder::RoughingAndSemiFinish(std::vector<std::vector<Segment>>& blocks) {
  const size_t last = allowances_.size() - 1;
  for (const Interval& part : reach_) {
    size_t main = last;
    std::vector<Interval> ranges;
    for (size_t k = 0; k <= last; ++k) {
      ranges = WhereBelow(LevelAt(k), clearance_, kEps, part.lo, part.hi);
      if (!ranges.empty()) {
        main = k;
        break;
      }
    }
    if (ranges.empty()) ranges.push_back(part);
    for (const Interval& range : ranges) ChoosePlunges(range, LevelAt(main));
    if (main == last) continue;
    const double allowance = allowances_[main];
    // The main level's lowest value within the allowance to either side: beside a wall the
    // smaller allowances reach only the strip that the allowance leaves, which is no pocket.
    const Pieces nearby =
        WindowExtreme(WindowExtreme(LevelAt(main), allowance, false), -allowance, false);
    if (!WhereBelow(finished_, nearby, 2.0 * allowance + kEps, part.lo, part.hi).empty()) {
      std::vector<Interval> done;
      for (size_t k = main + 1; k <= last; ++k) {
        for (const Interval& pocket : WhereBelow(LevelAt(k), nearby,
                                                 allowance + allowances_[k] + kEps, part.lo,
                                                 part.hi)) {
          const bool seen = std::any_of(done.begin(), done.end(), [&](const Interval& d) {
            return pocket.lo < d.hi && pocket.hi > d.lo;
          });
          if (seen) continue;
          ChoosePlunges(pocket, LevelAt(k));
          done.push_back(pocket);
        }
      }
    }
    Finishing(LevelAt(main), part.lo, part.hi, blocks);
  }
}

// Every plunge in pecks of at most the depth per pass, backing off w / 2 between them, then
// straight back out; the positioning moves between plunges stay clear of the stock.
void PathBuilder::Rough() {
  const double dpp = state_.params.DepthOnPass;
  for (const Segment& plunge : plunges_) {
    const UV t = Start(plunge);
    const double bottom = plunge.EndPt.y;
    if (std::fabs(P().u - t.u) > kEps || std::fabs(P().v - t.v) > kEps) Link(t, true);
    const int16_t pecks = PeckCount(t.v - bottom, dpp);
    const double step = (bottom - t.v) / pecks;
    double from = t.v;
    for (int16_t k = 0; k < pecks; ++k) {
      const double to = t.v + (k + 1) * step;
      Segment peck = FrameMove({t.u, from}, {t.u, to}, kMoveCutting, kPhaseRoughing);
      path_.push_back(peck);
      roughMoves_.push_back(peck);
      from = to;
      if (k + 1 < pecks) {
        const double back = std::max(to, std::min(to + w_ / 2.0, ceiling_));
        path_.push_back(FrameMove({t.u, to}, {t.u, back}, kMovePositioning, kPhaseNone));
        from = back;
      }
    }
    path_.push_back(FrameMove({t.u, bottom}, t, kMovePositioning, kPhaseNone));
  }
}

// The locus over every range where it lies below the stock, from where the insert touches the
// stock on the left down and along to where it leaves it on the right, split into the side that
// runs down from the left up to the first wall rising w / 10 or more, and the rest, run down
// from the right.
void PathBuilder::Finishing(const Pieces& locus, double lo, double hi,
                            std::vector<std::vector<Segment>>& blocks) {
  for (const Interval& range : WhereBelow(locus, clearance_, kEps, lo, hi)) {
    std::vector<Segment> chain = GraphChain(locus, range.lo, range.hi);
    if (chain.empty()) continue;
    const double topLeft = ValueAt(clearance_, range.lo).value_or(chain.front().StartPt.y);
    const double topRight = ValueAt(clearance_, range.hi, true).value_or(chain.back().EndPt.y);
    if (topLeft - chain.front().StartPt.y > kAtLevel) {
      chain.insert(chain.begin(),
                   MakeLine(range.lo, topLeft, chain.front().StartPt.x, chain.front().StartPt.y));
    }
    if (topRight - chain.back().EndPt.y > kAtLevel) {
      chain.push_back(MakeLine(chain.back().EndPt.x, chain.back().EndPt.y, range.hi, topRight));
    }
    for (Segment& s : chain) {
      s.MoveType = kMoveCutting;
      s.Phase = kPhaseFinishing;
    }
    size_t split = 0;
    while (split < chain.size()) {
      const double rise = chain[split].EndPt.y - chain[split].StartPt.y;
      if (rise > kEps && rise >= kRisingWall * w_) break;
      ++split;
    }
    std::vector<Segment> first(chain.begin(), chain.begin() + static_cast<std::ptrdiff_t>(split));
    std::vector<Segment> second(chain.begin() + static_cast<std::ptrdiff_t>(split), chain.end());
    Reverse(second);
    for (Segment& s : second) {
      s.MoveType = kMoveCutting;
      s.Phase = kPhaseFinishing;
    }
    if (!first.empty()) blocks.push_back(std::move(first));
    if (!second.empty()) blocks.push_back(std::move(second));
  }
}

bool PathBuilder::RemovesMaterial(const std::vector<Segment>& block) const {
  const Pieces swept = TipFloor(block, s_, r_);
  if (swept.empty()) return false;
  return MaxDifference(swept, cut_, swept.front().u0, swept.back().u1) > kMaterial;
}

void PathBuilder::Cut(const std::vector<Segment>& block) {
  Pieces both = cut_;
  const Pieces swept = TipFloor(block, s_, r_);
  both.insert(both.end(), swept.begin(), swept.end());
  cut_ = Envelope(both, false);
  path_.insert(path_.end(), block.begin(), block.end());
}

bool PathBuilder::Clear(const UV& p) const {
  const std::optional<double> left = ValueAt(clearance_, p.u, true);
  const std::optional<double> right = ValueAt(clearance_, p.u, false);
  return (!left || p.v >= *left - kClear) && (!right || p.v >= *right - kClear);
}

bool PathBuilder::ClearMove(const UV& a, const UV& b) const {
  return MaxAboveLine(clearance_, a.u, a.v, b.u, b.v) <= kClear;
}

// The highest the insert's reference point must be to pass over the stock between ua and ub;
// -infinity where no stock lies there.
double PathBuilder::StockTop(double ua, double ub) const {
  return MaxAboveLine(clearance_, ua, 0.0, ub, 0.0);
}

// A positioning move from the end of the path to `to`, which is clear of the stock. From a clear
// point two axis-parallel moves, in the order the kind of work prefers, when they stay clear;
// otherwise (and always from inside the groove, where the column above the insert is the one it
// has just cut) out along the plunge axis to clearance, across, and back in.
void PathBuilder::Link(const UV& to, bool acrossFirst) {
  const UV from = P();
  if (Clear(from)) {
    for (const bool across : {acrossFirst, !acrossFirst}) {
      const UV corner = across ? UV{to.u, from.v} : UV{from.u, to.v};
      if (ClearMove(from, corner) && ClearMove(corner, to)) {
        To(corner);
        To(to);
        return;
      }
    }
  }
  const double level =
      std::max({from.v, to.v,
                std::min(StockTop(from.u, to.u) + k_.clearanceWidths * w_, ceiling_)});
  To({from.u, level});
  To({to.u, level});
  To(to);
}

// Moves shorter than 1e-5 mm (in inch drawings the same length) go: a line is taken into the
// line before it, an arc becomes a line first. The same groove drawn in millimetres and in
// inches thus gets the same moves, and no arc is replaced for being small in drawing units.
void PathBuilder::Tidy() {
  const double shortest = kShortMoveMm * (state_.unitsSystem == 1 ? 1.0 / 25.4 : 1.0);
  std::vector<Segment> kept;
  for (Segment s : path_) {
    const double length = std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y);
    if (length >= shortest) {
      kept.push_back(s);
      continue;
    }
    if (!kept.empty() && kept.back().IsLine()) {
      kept.back().EndPt = s.EndPt;
      RefreshLine(kept.back());
    } else if (!kept.empty() || length > 0.0) {
      Segment line = FrameMove(Start(s), End(s), s.MoveType, s.Phase);
      kept.push_back(line);
    }
  }
  path_ = std::move(kept);
}

// The removed material is the stock above the lowest point the tip reached in each column; the
// stock that remains is the rest.
void PathBuilder::RemovedMaterial() {
  const std::vector<Interval> swept = WhereBelow(cut_, stockTop_, kSliver, lo_ - r_, hi_ + s_ + r_);
  if (swept.empty()) throw GeometryError("the path removes nothing");
  // The sides stand a sliver inside the swept columns, off any wall of the stock there.
  const double a = swept.front().lo + kSliver;
  const double b = swept.back().hi - kSliver;
  if (!(b > a)) throw GeometryError("the path removes nothing");
  Pieces floor = cut_;
  for (const Piece& p : stockTop_) floor.push_back(p.Shifted(0.0, -kSliver));
  std::vector<Segment> bottom = GraphChain(Envelope(floor, false), a, b);
  if (bottom.empty()) throw GeometryError("the path removes nothing");
  ContourBounds(geometry_, blank_);
  const double above = blank_.MaxY + 1.0;
  const UV left = Start(bottom.front());
  const UV right = End(bottom.back());
  bottom.push_back(MakeLine(right.u, right.v, right.u, above));
  bottom.push_back(MakeLine(right.u, above, left.u, above));
  bottom.push_back(MakeLine(left.u, above, left.u, left.v));
  Contour closer;
  for (const Segment& s : bottom) closer.Segs.push_back(frame_.ToDrawing(s));
  if (ContourOrientation(geometry_, closer) == -1) ReverseContour(closer);

  IntersectionResult hits;
  if (!geometry_.Intersect(c_.blank, closer, hits)) throw GeometryError("the cut misses the stock");
  ContourList removed;
  if (!geometry_.Common(c_.blank, closer, hits, removed) || removed.Count() == 0) {
    throw GeometryError("the removed material could not be formed");
  }
  ContourList rest;
  if (!geometry_.Clip(c_.blank, closer, hits, rest) || rest.Count() == 0) {
    throw GeometryError("the remaining stock could not be formed");
  }
  // Slivers where the outline runs along the stock's surface come out as pieces of their own.
  const auto largest = [](const ContourList& list) {
    const Contour* best = &list.Contours[0];
    for (const Contour& c : list.Contours) {
      if (std::fabs(SignedArea(c)) > std::fabs(SignedArea(*best))) best = &c;
    }
    return *best;
  };
  c_.toMachine = largest(removed);
  c_.remaining = largest(rest);
}

// Where the insert stops in the groove: the groove's narrowest span at the level just below the
// deepest point that the insert's tip reaches.
std::string PathBuilder::Narrowest() const {
  double best = kInf;
  double where = 0.0;
  const Contour& g = groove_;
  const double v =
      std::max(g.MaxY - reached_ - kBelowReach * (g.MaxY - g.MinY), 0.5 * (g.MaxY + g.MinY));
  IntersectionResult hits;
  const Segment probe = MakeLine(g.MinX - 1.0, v, g.MaxX + 1.0, v);
  if (geometry_.Intersect(MakeContour({probe}), g, hits) && hits.Count() >= 2) {
    std::vector<double> us;
    for (const Crossing& h : hits.Points) us.push_back(h.X);
    std::sort(us.begin(), us.end());
    for (size_t k = 0; k + 1 < us.size(); k += 2) {
      const double width = us[k + 1] - us[k];
      if (width > kEps && width < best) {
        best = width;
        where = 0.5 * (us[k] + us[k + 1]);
      }
    }
  }
  char text[160];
  std::snprintf(text, sizeof text, "insert %.3f wide, groove %.3f wide at its narrowest (%s %.3f)",
                w_, best == kInf ? 0.0 : best, frame_.CrossIsX() ? "x" : "y", where);
  return text;
}

bool PathBuilder::Build(Contour& toolPath) {
  if (!(w_ > 0.0)) throw GeometryError("division by zero: a tool of no width");
  if (c_.grooveDrawn.Empty() || c_.partDrawn.Empty()) return false;
  if (!Envelopes()) {
    state_.failureDetail = Narrowest();
    return false;
  }
  const Point3 startDrawing{state_.params.StartPointZ, state_.params.StartPointX / 2.0, 0.0};
  const Point3 sf = frame_.ToFrame(startDrawing);
  const UV start{sf.x, sf.y};
  if (!Clear(start)) {
    state_.failureDetail = "start point inside the stock";
    return false;
  }

  std::vector<std::vector<Segment>> blocks;
  RoughingAndSemiFinish(blocks);
  std::sort(plunges_.begin(), plunges_.end(),
            [](const Segment& a, const Segment& b) { return a.StartPt.x < b.StartPt.x; });
  path_.push_back(FrameMove(start, start, kMovePositioning, kPhaseNone));
  cut_ = stockTop_;
  if (!plunges_.empty()) {
    Link(Start(plunges_.front()), k_.approachAcrossFirst);
    Rough();
    Pieces both = cut_;
    const Pieces swept = TipFloor(roughMoves_, s_, r_);
    both.insert(both.end(), swept.begin(), swept.end());
    cut_ = Envelope(both, false);
  }

  // The last pass on the finished profile.
  Finishing(finished_, lo_, hi_, blocks);
  bool any = !plunges_.empty();
  for (const std::vector<Segment>& block : blocks) {
    if (!RemovesMaterial(block)) continue;
    Link(Start(block.front()), true);
    Cut(block);
    any = true;
  }
  if (!any) {
    state_.failureDetail = Narrowest();
    return false;
  }
  Link(start, !k_.approachAcrossFirst);

  Tidy();
  toolPath.Reset();
  for (const Segment& s : path_) toolPath.Segs.push_back(frame_.ToDrawing(s));

  RemovedMaterial();
  return true;
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
  try {
    PathBuilder builder(state, WorkFrame(state.params.TrajectoryType, state.directionSign));
    return builder.Build(toolPath);
  } catch (const Error& e) {
    // The reason stays for the caller; the run ends like any failed step.
    if (state.failureDetail.empty()) state.failureDetail = e.what();
    return false;
  }
}

}  // namespace sulkor
