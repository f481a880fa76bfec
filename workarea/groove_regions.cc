#include "workarea/groove_regions.h"

#include <cmath>
#include <optional>

#include "contour/contour_ops.h"
#include "contour/primitives.h"

namespace sulkor {
namespace {

struct Pt {
  double x, y;
};

bool Same(const Point3& a, const Pt& b) {
  return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps;
}
bool Same(const Point3& a, const Point3& b) {
  return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps;
}

std::optional<int32_t> FirstStartingAt(const Contour& c, const Pt& p) {
  for (int32_t i = 0; i < c.Count(); ++i) {
    if (Same(c.Seg(i).StartPt, p)) return i;
  }
  return std::nullopt;
}

std::optional<int32_t> FirstEndingAt(const Contour& c, const Pt& p) {
  for (int32_t i = 0; i < c.Count(); ++i) {
    if (Same(c.Seg(i).EndPt, p)) return i;
  }
  return std::nullopt;
}

// Closes an open blank piece with the work contour, run in whichever direction continues it.
void CloseWithWork(Contour& region, const Contour& work) {
  if (region.Empty() || work.Empty()) return;
  if (Same(region.Last().EndPt, work.First().StartPt)) {
    region.Segs.insert(region.Segs.end(), work.Segs.begin(), work.Segs.end());
  } else {
    Contour reversed = work;
    ReverseContour(reversed);
    region.Segs.insert(region.Segs.end(), reversed.Segs.begin(), reversed.Segs.end());
  }
}

}  // namespace

int16_t SideOfDirection(const std::string& direction) {
  return direction == "External" ? 1 : -1;
}

bool SplitBlankByWork(OperationState& state) {
  GeometryServices& geometry = state.Geometry();
  WorkingContours& c = state.contours;

  IntersectionResult crossings;
  geometry.Intersect(c.blank, c.work, crossings);
  if (crossings.Count() < 2) return false;
  const Pt p0{crossings.Points[0].X, crossings.Points[0].Y};
  const Pt p1{crossings.Points[1].X, crossings.Points[1].Y};
  const int32_t k0 = crossings.Points[0].Seg2;
  const int32_t k1 = crossings.Points[1].Seg2;

  SplitContourAtPoint(geometry, c.work, p0.x, p0.y);
  SplitContourAtPoint(geometry, c.work, p1.x, p1.y);

  // Trim the work contour to its part between the two crossings.
  const Contour copy = c.work;
  std::optional<int32_t> a, b;
  if (k1 != k0) {
    const Pt& from = k1 > k0 ? p0 : p1;
    const Pt& to = k1 > k0 ? p1 : p0;
    a = FirstStartingAt(copy, from);
    b = FirstEndingAt(copy, to);
  } else {
    for (int32_t i = 0; i < copy.Count() && !a; ++i) {
      const Segment& s = copy.Seg(i);
      if ((Same(s.StartPt, p0) && Same(s.EndPt, p1)) || (Same(s.StartPt, p1) && Same(s.EndPt, p0))) {
        a = b = i;
      }
    }
  }
  if (!a || !b || *b < *a) return false;
  c.work.Segs.assign(copy.Segs.begin() + *a, copy.Segs.begin() + *b + 1);

  // The blank, split at both crossings, starts at P0.
  SplitContourAtPoint(geometry, c.blank, p0.x, p0.y);
  SplitContourAtPoint(geometry, c.blank, p1.x, p1.y);
  RestartContourNearPoint(c.blank, p0.x, p0.y);

  c.regionA.Reset();
  c.regionB.Reset();
  bool inA = true;
  bool reachedP1 = false;
  for (const Segment& s : c.blank.Segs) {
    (inA ? c.regionA : c.regionB).Segs.push_back(s);
    if (inA && Same(s.EndPt, p1)) {
      inA = false;
      reachedP1 = true;
    }
  }
  if (!reachedP1 || !Same(c.blank.First().StartPt, p0)) return false;

  c.pieceA = c.regionA;
  c.pieceB = c.regionB;
  CloseWithWork(c.regionA, c.work);
  CloseWithWork(c.regionB, c.work);
  return true;
}

void SideTestPoint(const Segment& segment, int16_t side, double& x, double& y) {
  const double delta = side * kProbeEps;
  if (segment.IsLine()) {
    const double t = segment.Tangent[0];
    const double mx = segment.StartPt.x + segment.Length / 2.0 * std::cos(t);
    const double my = segment.StartPt.y + segment.Length / 2.0 * std::sin(t);
    x = mx - delta * std::sin(t);
    y = my + delta * std::cos(t);
  } else if (segment.IsArc()) {
    double t0 = 0.0, t = 0.0;
    ArcEndTangents(segment.StartPt.x, segment.StartPt.y, segment.MidPt.x, segment.MidPt.y,
                   segment.Center.x, segment.Center.y, segment.Radius, segment.Direction, t0, t);
    x = segment.MidPt.x - delta * std::sin(t);
    y = segment.MidPt.y + delta * std::cos(t);
  }
}

RegionChoice ChooseRegion(GeometryServices& geometry, const Contour& work, int16_t side,
                          const Contour& blank, const Contour& regionA) {
  RegionChoice choice = RegionChoice::None;
  double x = 0.0, y = 0.0;
  for (const Segment& s : work.Segs) {
    SideTestPoint(s, side, x, y);
    if (geometry.PointInContour(blank, x, y) == kInside) {
      choice = geometry.PointInContour(regionA, x, y) == kInside ? RegionChoice::A : RegionChoice::B;
    }
  }
  return choice;
}

}  // namespace sulkor
