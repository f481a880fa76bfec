#include "workarea/work_area.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <utility>
#include <vector>

#include "contour/segment_build.h"
#include "contour/contour_ops.h"
#include "contour/primitives.h"
#include "contour/tolerances.h"
#include "operation/work_frame.h"
#include "workarea/trim_work.h"
#include "workarea/work_segments.h"

namespace sulkor {

namespace {

constexpr double kGapAlongLimit = 1e-5;   // a wall end on a segment this close to u is no wall
constexpr double kGapStep = 1e-5;         // the inside test point of a gap probe
constexpr double kSlotAlongLimit = kEps;  // a closing line of a slot lies along u this closely

// Counts the starts of one step's sweep. A step gives up when its sweep has been started more
// than 3 * n + 1 times; the counter is 16-bit, and counting past its range is an overflow.
// Step 2 takes n anew at every start (its rebuilds never add segments). Steps 1, 3 and 4 take
// the count with which the step began: their rebuilds may add segments, and a bound that grew
// with them would not bound anything. Each sweep that starts again has made one real change
// (rebuilds that change nothing are passed over), and a contour of n segments needs at most
// about n of them, so the bound only stops inputs that would otherwise never settle.
class SweepLimit {
 public:
  bool Start(int32_t segmentCount) {
    if (attempts_ == std::numeric_limits<int16_t>::max()) throw GeometryError("16-bit overflow");
    ++attempts_;
    return static_cast<int64_t>(attempts_) <= 3 * static_cast<int64_t>(segmentCount);
  }

 private:
  int16_t attempts_ = -1;
};

class WorkAreaBuilder {
 public:
  explicit WorkAreaBuilder(OperationState& state)
      : state_(state),
        geometry_(state.Geometry()),
        work_(state.contours.work),
        frame_(state.params.TrajectoryType, state.directionSign),
        k_(frame_.Constants()),
        width_(state.tool.Width) {}

  bool Run() {
    Prepare();
    if (!SplitArcsAtQuadrants()) return false;
    if (!RemoveOverhangs()) return false;
    if (!CloseNarrowGaps()) return false;
    if (!CloseNarrowSlots()) return false;
    LengthenEnds();
    return true;
  }

 private:
  // u along the cross axis; V the drawing coordinate along the plunge axis.
  double U(double x, double y) const { return frame_.Cross(x, y); }
  double V(double x, double y) const { return frame_.PlungeAxis(x, y); }
  double U(const Point3& p) const { return frame_.Cross(p); }
  double V(const Point3& p) const { return frame_.PlungeAxis(p); }

  bool LiesAlongU(double tangent, double limit) const {
    return frame_.CrossIsX() ? std::abs(std::sin(tangent)) < limit
                             : std::abs(std::cos(tangent)) < limit;
  }

  // The crossing nearest by the given distance, ignoring those closer than 1e-6 (the probe's
  // own start); ties keep the earlier crossing. -1 when there is none.
  static int32_t Nearest(const IntersectionResult& hits,
                         const std::function<double(const Crossing&)>& distance) {
    double best = 1e10;
    int32_t index = -1;
    for (int32_t j = 0; j < hits.Count(); ++j) {
      const double d = distance(hits.Points[static_cast<size_t>(j)]);
      if (d < best && d > kEps) {
        best = d;
        index = j;
      }
    }
    return index;
  }

  // Makes a rebuilt contour the work contour unless it traces the same path: a rebuild that
  // changes nothing (or only adds a vertex to a straight run, as a probe lying along a segment
  // does) would only be found again and repeated.
  bool Adopt(Contour& rebuilt) {
    if (SameShape(rebuilt, work_)) return false;
    work_ = std::move(rebuilt);
    return true;
  }

  // Step 0: the blank's box, the probe length, the trimmed work contour.
  void Prepare() {
    Contour& blank = state_.contours.blank;
    ContourBounds(geometry_, blank);
    probeLength_ = frame_.CrossIsX() ? (blank.MaxY - blank.MinY) + k_.overhangProbeExtra
                                     : (blank.MaxX - blank.MinX) + k_.overhangProbeExtra;
    TrimWorkToBlank(state_);
  }

  // Step 1: no arc keeps a quadrant point of its circle inside it.
  bool SplitArcsAtQuadrants() {
    SweepLimit limit;
    const int32_t startCount = work_.Count();
    for (;;) {
      if (!limit.Start(startCount)) return false;
      if (!SplitOneArc()) return true;
    }
  }

  bool SplitOneArc() {
    const int32_t n = work_.Count();
    for (int32_t i = 0; i < n; ++i) {
      const Segment arc = work_.Seg(i);  // all four tests use the arc as it was before a split
      if (!arc.IsArc()) continue;
      Contour holder;
      holder.Segs.push_back(arc);
      const double cx = arc.Center.x;
      const double cy = arc.Center.y;
      const double r = arc.Radius;
      const double qx[4] = {cx + r, cx, cx - r, cx};
      const double qy[4] = {cy, cy + r, cy, cy - r};
      bool split = false;
      for (int k = 0; k < 4; ++k) {
        if (SamePoint(qx[k], qy[k], arc.StartPt.x, arc.StartPt.y) ||
            SamePoint(qx[k], qy[k], arc.EndPt.x, arc.EndPt.y)) {
          continue;
        }
        const Contour probe = ProbeContour(cx, cy, cx + 2 * (qx[k] - cx), cy + 2 * (qy[k] - cy),
                                           2 * r, k % 2 == 0 ? 0.0 : kPi / 2);
        IntersectionResult hits;
        geometry_.Intersect(holder, probe, hits);
        if (hits.Count() == 0) continue;
        // A split that finds nothing to split leaves the contour as it was: no split happened.
        const int32_t before = work_.Count();
        SplitContourAtPoint(geometry_, work_, hits.Points[0].X, hits.Points[0].Y);
        if (work_.Count() != before) split = true;
      }
      if (split) return true;
    }
    return false;
  }

  // Step 2: parts hidden from the plunge direction are replaced by a straight drop.
  bool RemoveOverhangs() {
    orientation_ = 1;
    if (U(work_.First().StartPt) > U(work_.Last().EndPt)) {
      ReverseContour(work_);
      orientation_ = -1;
    }
    for (Segment& segment : work_.Segs) segment.DropMark = false;
    int pass = 1;
    SweepLimit limit;
    for (;;) {
      if (!limit.Start(work_.Count())) return false;
      if (RemoveOneOverhang(pass)) continue;
      if (pass == 1) {
        ReverseContour(work_);
        orientation_ = static_cast<int16_t>(-orientation_);
        pass = 2;
        continue;
      }
      if (orientation_ == -1) {
        ReverseContour(work_);
        orientation_ = 1;
      }
      return true;
    }
  }

  bool RemoveOneOverhang(int pass) {
    const double theta = frame_.PlungeAngle();
    const double cosTheta = std::cos(theta);
    const double sinTheta = std::sin(theta);
    const int sign = pass == 1 ? k_.overhangPassOneSign : -k_.overhangPassOneSign;
    for (int32_t i = 0; i < work_.Count(); ++i) {
      const Point3 a = work_.Seg(i).StartPt;
      const Point3 b = work_.Seg(i).EndPt;
      const double c = (b.y - a.y) * cosTheta - (b.x - a.x) * sinTheta;
      const bool candidate = sign < 0 ? c < -kEps : c > kEps;
      if (!candidate) continue;

      const Point3 end = frame_.Plunged(a, probeLength_);
      const Contour probe = ProbeContour(a.x, a.y, end.x, end.y, probeLength_, theta);
      IntersectionResult hits;
      geometry_.Intersect(work_, probe, hits);
      if (hits.Count() == 0) continue;
      const int32_t best = Nearest(
          hits, [&](const Crossing& hit) { return std::abs(V(a) - V(hit.X, hit.Y)); });
      if (best < 0) continue;
      const Crossing& landing = hits.Points[static_cast<size_t>(best)];
      const int32_t k = landing.Seg1;
      if (k <= i) continue;

      Contour rebuilt = work_;
      Segment& drop = rebuilt.Seg(i);
      drop.Kind = SegmentKind::Line;
      SetXY(drop.EndPt, landing.X, landing.Y);
      RefreshLine(drop);
      Segment& landed = rebuilt.Seg(k);
      SetXY(landed.StartPt, landing.X, landing.Y);
      RefreshMovedSegment(landed);
      for (int32_t m = i + 1; m < k; ++m) rebuilt.Seg(m).DropMark = true;
      std::vector<Segment> kept;
      for (const Segment& segment : rebuilt.Segs) {
        if (!segment.DropMark) kept.push_back(segment);
      }
      rebuilt.Segs = std::move(kept);
      if (Adopt(rebuilt)) return true;
    }
    return false;
  }

  // The closed work area: the work contour closed by a line from its end back to its start.
  void BuildClosedWorkArea() {
    Contour closed = work_;
    const Point3 start = work_.First().StartPt;
    const Point3 end = work_.Last().EndPt;
    closed.Segs.push_back(MakeLine(start.x, start.y, end.x, end.y));
    state_.contours.toClear = std::move(closed);
  }

  // Step 3: gaps narrower than the tool, measured along u from the end of a wall, are closed at
  // the height of that end.
  bool CloseNarrowGaps() {
    if (U(work_.First().StartPt) > U(work_.Last().EndPt)) {
      ReverseContour(work_);
      orientation_ = static_cast<int16_t>(-orientation_);
    }
    BuildClosedWorkArea();
    SweepLimit backLimit;
    const int32_t backCount = work_.Count();
    for (;;) {
      if (!backLimit.Start(backCount)) return false;
      if (!CloseOneGap(false)) break;
    }
    BuildClosedWorkArea();
    SweepLimit forwardLimit;
    const int32_t forwardCount = work_.Count();
    for (;;) {
      if (!forwardLimit.Start(forwardCount)) return false;
      if (!CloseOneGap(true)) break;
    }
    return true;
  }

  bool CloseOneGap(bool forward) {
    const double sense = forward ? 1.0 : -1.0;
    const Contour& closed = state_.contours.toClear;
    for (int32_t i = 0; i <= work_.Count() - 2; ++i) {
      const Point3 b = work_.Seg(i).EndPt;
      if (LiesAlongU(work_.Seg(i).Tangent[0], kGapAlongLimit)) continue;
      const Point3 q = frame_.AlongCross(b, sense * kGapStep);
      if (geometry_.PointInContour(closed, q.x, q.y) == kOutside) continue;
      const Point3 e = frame_.AlongCross(b, sense * width_);
      const Contour probe =
          ProbeContour(q.x, q.y, e.x, e.y, width_ - kGapStep, frame_.CrossAngle(forward));
      IntersectionResult hits;
      geometry_.Intersect(work_, probe, hits);
      if (hits.Count() == 0) continue;
      const int32_t best = Nearest(
          hits, [&](const Crossing& hit) { return std::abs(U(hit.X, hit.Y) - U(b)); });
      if (best < 0) continue;
      const Crossing& hit = hits.Points[static_cast<size_t>(best)];
      int32_t k = hit.Seg1;

      Contour rebuilt = work_;
      rebuilt.Segs.clear();
      if (!forward) {
        if (SamePoint(hit.X, hit.Y, work_.Seg(k).StartPt.x, work_.Seg(k).StartPt.y)) --k;
        if (k < 0) throw GeometryError("segment index outside the contour");
        for (int32_t m = 0; m <= k; ++m) rebuilt.Segs.push_back(work_.Seg(m));
        Segment& last = rebuilt.Segs.back();
        SetXY(last.EndPt, hit.X, hit.Y);
        RefreshMovedSegment(last);
        rebuilt.Segs.push_back(MakeLine(hit.X, hit.Y, b.x, b.y));
        for (int32_t m = i + 1; m < work_.Count(); ++m) rebuilt.Segs.push_back(work_.Seg(m));
      } else {
        if (SamePoint(hit.X, hit.Y, work_.Seg(k).EndPt.x, work_.Seg(k).EndPt.y)) ++k;
        for (int32_t m = 0; m <= i; ++m) rebuilt.Segs.push_back(work_.Seg(m));
        rebuilt.Segs.push_back(MakeLine(b.x, b.y, hit.X, hit.Y));
        Segment continued = work_.Seg(k);
        SetXY(continued.StartPt, hit.X, hit.Y);
        RefreshMovedSegment(continued);
        rebuilt.Segs.push_back(continued);
        for (int32_t m = k + 1; m < work_.Count(); ++m) rebuilt.Segs.push_back(work_.Seg(m));
      }
      if (Adopt(rebuilt)) return true;
    }
    return false;
  }

  // Step 4: slots narrower than the tool are closed where they become as narrow as the tool.
  bool CloseNarrowSlots() {
    SweepLimit limit;
    const int32_t startCount = work_.Count();
    for (;;) {
      if (!limit.Start(startCount)) return false;
      if (!CloseOneSlot()) return true;
    }
  }

  // The wall's start stands higher than its end, against the plunge, by more than the margin.
  bool SlotWallQualifies(const Segment& s) const {
    return frame_.PlungeSense() < 0 ? V(s.StartPt) > V(s.EndPt) + k_.slotMargin
                                    : V(s.EndPt) > V(s.StartPt) + k_.slotMargin;
  }

  bool CloseOneSlot() {
    Contour shifted = work_;
    for (Segment& segment : shifted.Segs) {
      for (Point3* p : {&segment.StartPt, &segment.EndPt, &segment.Center, &segment.MidPt}) {
        *p = frame_.AlongCross(*p, width_);
      }
    }
    IntersectionResult hits;
    geometry_.Intersect(shifted, work_, hits);
    for (const Crossing& hit : hits.Points) {
      int32_t a = hit.Seg1;
      int32_t b = hit.Seg2;
      if (SamePoint(hit.X, hit.Y, shifted.Seg(a).StartPt.x, shifted.Seg(a).StartPt.y)) --a;
      if (SamePoint(hit.X, hit.Y, work_.Seg(b).EndPt.x, work_.Seg(b).EndPt.y)) ++b;
      if (a == -1) continue;
      if (a + 1 < shifted.Count() && shifted.Seg(a + 1).IsLine() &&
          LiesAlongU(shifted.Seg(a + 1).Tangent[0], kSlotAlongLimit)) {
        continue;
      }
      if (!SlotWallQualifies(shifted.Seg(a))) continue;

      const Point3 c = frame_.AlongCross(Point3{hit.X, hit.Y, 0.0}, -width_);
      const double cx = c.x;
      const double cy = c.y;
      Contour rebuilt = work_;
      rebuilt.Segs.clear();
      for (int32_t m = 0; m <= a; ++m) rebuilt.Segs.push_back(work_.Seg(m));
      Segment& wall = rebuilt.Segs.back();
      SetXY(wall.EndPt, cx, cy);
      RefreshMovedSegment(wall);
      rebuilt.Segs.push_back(MakeLine(cx, cy, hit.X, hit.Y));
      Segment continued = work_.Seg(b);
      SetXY(continued.StartPt, hit.X, hit.Y);
      RefreshMovedSegment(continued);
      rebuilt.Segs.push_back(continued);
      for (int32_t m = b + 1; m < work_.Count(); ++m) rebuilt.Segs.push_back(work_.Seg(m));
      if (Adopt(rebuilt)) return true;
    }
    return false;
  }

  // Step 5: both ends reach 1e-4 further along their own directions; the contour goes back in
  // the orientation in which it came.
  void LengthenEnds() {
    Segment& first = work_.Seg(0);
    const double t0 = first.Tangent[0];
    const double ax = first.StartPt.x + kProbeEps * std::cos(t0 + kPi);
    const double ay = first.StartPt.y + kProbeEps * std::sin(t0 + kPi);
    if (first.IsLine()) {
      SetXY(first.StartPt, ax, ay);
      first.Length = std::hypot(first.EndPt.x - ax, first.EndPt.y - ay);
    } else {
      double x = 0.0;
      double y = 0.0;
      ProjectOntoCircle(first.Center.x, first.Center.y, first.Radius, ax, ay, x, y);
      SetXY(first.StartPt, x, y);
      RefreshArcMidAndTangents(first);
    }

    Segment& last = work_.Seg(work_.Count() - 1);
    const double t1 = last.IsLine() ? last.Tangent[0] : last.Tangent[1];
    const double bx = last.EndPt.x + kProbeEps * std::cos(t1);
    const double by = last.EndPt.y + kProbeEps * std::sin(t1);
    if (last.IsLine()) {
      SetXY(last.EndPt, bx, by);
      last.Length = std::hypot(bx - last.StartPt.x, by - last.StartPt.y);
    } else {
      double x = 0.0;
      double y = 0.0;
      ProjectOntoCircle(last.Center.x, last.Center.y, last.Radius, bx, by, x, y);
      SetXY(last.EndPt, x, y);
      RefreshArcMidAndTangents(last);
    }

    if (orientation_ == -1) ReverseContour(work_);
  }

  OperationState& state_;
  GeometryServices& geometry_;
  Contour& work_;
  WorkFrame frame_;
  const KindConstants& k_;
  double width_;
  double probeLength_ = 0.0;
  int16_t orientation_ = 1;
};

}  // namespace

bool BuildWorkArea(OperationState& state) {
  return WithHandler([&state] { return WorkAreaBuilder(state).Run(); });
}

}  // namespace sulkor
