#include "workarea/nudge_work.h"

#include <cmath>

#include "contour/segment_build.h"
#include "contour/contour_utils.h"
#include "contour/primitives.h"
#include "contour/tolerances.h"
#include "workarea/work_segments.h"

namespace sulkor {

namespace {

constexpr double kFlatten = kProbeEps;  // how far an arc touching the outline is flattened
constexpr double kLengthen = kProbeEps;  // how far an end is carried past the outline
constexpr double kPush = 20 * kEps;      // how far a line on the outline is pushed off it

void StoreRefit(Segment& arc, const ArcRefit& refit) {
  SetXY(arc.Center, refit.CenterX, refit.CenterY);
  arc.Radius = refit.Radius;
  arc.Tangent[0] = refit.Tangent[0];
  arc.Tangent[1] = refit.Tangent[1];
}

class WorkNudger {
 public:
  explicit WorkNudger(OperationState& state)
      : geometry_(state.Geometry()), blank_(state.contours.blank), work_(state.contours.work) {}

  void Run() {
    FlattenTouchingArcs();
    NudgeStart();
    NudgeEnd();
    PushLinesOffOutline();
  }

 private:
  int16_t Classify(double x, double y) { return geometry_.PointInContour(blank_, x, y); }
  int16_t Classify(const Point3& p) { return Classify(p.x, p.y); }

  // Step 1: an arc inside the run with an end on the outline and no crossing with the blank is
  // flattened a little, away from the outline it touches.
  void FlattenTouchingArcs() {
    const int32_t n = work_.Count();
    for (int32_t i = 1; i < n - 1; ++i) {
      Segment& arc = work_.Seg(i);
      if (!arc.IsArc()) continue;
      const int16_t atStart = Classify(arc.StartPt);
      const int16_t atEnd = Classify(arc.EndPt);
      if (atStart != kOnOutline && atEnd != kOnOutline) continue;
      Contour alone;
      alone.Segs.push_back(arc);
      IntersectionResult hits;
      if (geometry_.Intersect(blank_, alone, hits)) continue;
      StoreRefit(arc, RefitArcToChord(arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y,
                                      arc.Center.x, arc.Center.y, arc.Direction, kFlatten));
    }
  }

  // Step 2: the first segment starts 1e-4 further back, off the outline.
  void NudgeStart() {
    Segment& first = work_.Seg(0);
    const Point3 a = first.StartPt;
    const int16_t where = Classify(a);
    if (where == kOutside) return;
    const double t0 = first.Tangent[0];
    const double backX = a.x - kLengthen * std::cos(t0);
    const double backY = a.y - kLengthen * std::sin(t0);
    if (first.IsLine()) {
      if (where == kInside || (where == kOnOutline && Classify(backX, backY) != kOnOutline)) {
        SetXY(first.StartPt, backX, backY);
        first.Length += kLengthen;
      }
      return;
    }
    double x = 0.0;
    double y = 0.0;
    ProjectOntoCircle(first.Center.x, first.Center.y, first.Radius, backX, backY, x, y);
    if (Classify(x, y) == kOutside) {
      SetXY(first.StartPt, x, y);
      RefreshArcTangents(first);
      return;
    }
    const ArcRefit refit = RefitArcToChord(a.x, a.y, first.EndPt.x, first.EndPt.y,
                                           first.Center.x, first.Center.y, first.Direction,
                                           first.Radius / 100);
    const double rx = a.x - kLengthen * std::cos(refit.Tangent[0]);
    const double ry = a.y - kLengthen * std::sin(refit.Tangent[0]);
    ProjectOntoCircle(refit.CenterX, refit.CenterY, refit.Radius, rx, ry, x, y);
    SetXY(first.StartPt, x, y);
    SetXY(first.Center, refit.CenterX, refit.CenterY);
    first.Radius = refit.Radius;
    RefreshArcMidAndTangents(first);
  }

  // Step 3: the last segment ends 1e-4 further on, off the outline.
  void NudgeEnd() {
    Segment& last = work_.Seg(work_.Count() - 1);
    const Point3 b = last.EndPt;
    const int16_t where = Classify(b);
    if (where == kOutside) return;
    if (last.IsLine()) {
      const double t = last.Tangent[0];
      const double onX = b.x + kLengthen * std::cos(t);
      const double onY = b.y + kLengthen * std::sin(t);
      if (where == kInside || (where == kOnOutline && Classify(onX, onY) != kOnOutline)) {
        SetXY(last.EndPt, onX, onY);
        last.Length += kLengthen;
      }
      return;
    }
    const double t1 = last.Tangent[1];
    double x = 0.0;
    double y = 0.0;
    ProjectOntoCircle(last.Center.x, last.Center.y, last.Radius, b.x + kLengthen * std::cos(t1),
                      b.y + kLengthen * std::sin(t1), x, y);
    if (Classify(x, y) == kOutside) {
      SetXY(last.EndPt, x, y);
      RefreshArcTangents(last);
      return;
    }
    const ArcRefit refit = RefitArcToChord(last.StartPt.x, last.StartPt.y, b.x, b.y,
                                           last.Center.x, last.Center.y, last.Direction,
                                           last.Radius / 100);
    const double rx = b.x + kLengthen * std::cos(refit.Tangent[1]);
    const double ry = b.y + kLengthen * std::sin(refit.Tangent[1]);
    ProjectOntoCircle(refit.CenterX, refit.CenterY, refit.Radius, rx, ry, x, y);
    SetXY(last.EndPt, x, y);
    SetXY(last.Center, refit.CenterX, refit.CenterY);
    last.Radius = refit.Radius;
    RefreshArcMidAndTangents(last);
  }

  // A neighbour whose shared end moved: a line is recomputed, an arc put back onto its ends.
  static void Follow(Segment& neighbour) {
    if (neighbour.IsLine()) {
      RefreshLine(neighbour);
    } else if (neighbour.IsArc()) {
      RecenterArc(neighbour);
    }
  }

  // Step 4: a line lying on the outline moves 2e-5 away from the blank's inside.
  void PushLinesOffOutline() {
    const int32_t n = work_.Count();
    for (int32_t i = 0; i < n; ++i) {
      Segment& line = work_.Seg(i);
      if (!line.IsLine() || !(line.Length > kEps)) continue;
      const double mx = (line.StartPt.x + line.EndPt.x) / 2;
      const double my = (line.StartPt.y + line.EndPt.y) / 2;
      if (Classify(mx, my) != kOnOutline) continue;
      const double t = line.Tangent[0];
      const double nx = -std::sin(t);
      const double ny = std::cos(t);
      const double offset = Classify(mx + kPush * nx, my + kPush * ny) == kInside ? -kPush : kPush;
      SetXY(line.StartPt, line.StartPt.x + offset * nx, line.StartPt.y + offset * ny);
      SetXY(line.EndPt, line.EndPt.x + offset * nx, line.EndPt.y + offset * ny);
      const Point3 start = line.StartPt;
      const Point3 end = line.EndPt;
      if (i == 0 || i < n - 1) {
        Segment& next = work_.Seg(i + 1);
        SetXY(next.StartPt, end.x, end.y);
        Follow(next);
      }
      if (i > 0) {
        Segment& previous = work_.Seg(i - 1);
        SetXY(previous.EndPt, start.x, start.y);
        Follow(previous);
      }
    }
  }

  GeometryServices& geometry_;
  const Contour& blank_;
  Contour& work_;
};

}  // namespace

ArcRefit RefitArcToChord(double ax, double ay, double bx, double by, double cx, double cy,
                         int16_t direction, double extra) {
  const double length = std::hypot(bx - ax, by - ay);
  const double ux = CheckedDivide(bx - ax, length);
  const double uy = CheckedDivide(by - ay, length);
  const double nx = -uy;
  const double ny = ux;
  const double d = (cx - ax) * nx + (cy - ay) * ny;
  const double shifted = d + SignWithTolerance(d) * extra;
  ArcRefit refit;
  refit.CenterX = ax + (length / 2) * ux + shifted * nx;
  refit.CenterY = ay + (length / 2) * uy + shifted * ny;
  refit.Radius = std::hypot(ax - refit.CenterX, ay - refit.CenterY);
  ArcEndTangents(ax, ay, bx, by, refit.CenterX, refit.CenterY, refit.Radius, direction,
                 refit.Tangent[0], refit.Tangent[1]);
  return refit;
}

void NudgeWorkAtBlank(OperationState& state) { WorkNudger(state).Run(); }

}  // namespace sulkor
