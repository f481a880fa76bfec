#include "workarea/trim_work.h"

#include <utility>
#include <vector>

#include "contour/contour_ops.h"
#include "workarea/work_segments.h"

namespace sulkor {

namespace {

// Index of the first segment whose start (atStart) or end point is (x, y); fallback when none.
int32_t FirstSegmentAt(const Contour& contour, double x, double y, bool atStart,
                       int32_t fallback) {
  for (int32_t i = 0; i < contour.Count(); ++i) {
    const Segment& segment = contour.Seg(i);
    const Point3& point = atStart ? segment.StartPt : segment.EndPt;
    if (SamePoint(point.x, point.y, x, y)) return i;
  }
  return fallback;
}

}  // namespace

void TrimWorkToBlank(OperationState& state) {
  GeometryServices& geometry = state.Geometry();
  Contour& work = state.contours.work;

  IntersectionResult crossings;
  geometry.Intersect(work, state.contours.blank, crossings);
  if (crossings.Count() == 0) {
    throw GeometryError("the work contour does not cross the blank");
  }

  for (const Crossing& crossing : crossings.Points) {
    SplitContourAtPoint(geometry, work, crossing.X, crossing.Y);
  }

  const Crossing& first = crossings.Points.front();
  const Crossing& last = crossings.Points.back();
  int32_t s = FirstSegmentAt(work, first.X, first.Y, true, 0);
  int32_t e = FirstSegmentAt(work, last.X, last.Y, false, work.Count() - 1);
  if (e < s) {
    s = FirstSegmentAt(work, last.X, last.Y, true, s);
    e = FirstSegmentAt(work, first.X, first.Y, false, e);
  }
  if (e < s) throw GeometryError("segment index outside the contour");

  std::vector<Segment> kept;
  kept.reserve(static_cast<size_t>(e - s + 1));
  for (int32_t i = s; i <= e; ++i) kept.push_back(work.Seg(i));
  work.Segs = std::move(kept);
}

}  // namespace sulkor
