#include "contour/contour_utils.h"

#include <cmath>
#include <vector>

#include "contour/primitives.h"
#include "contour/segment_build.h"

namespace sulkor {
namespace {

bool Same(const Point3& a, const Point3& b) {
  return std::fabs(a.x - b.x) < kEps && std::fabs(a.y - b.y) < kEps;
}

double Distance(const Point3& a, const Point3& b) { return std::hypot(b.x - a.x, b.y - a.y); }

void RemoveMarked(Contour& contour) {
  std::vector<Segment> kept;
  kept.reserve(contour.Segs.size());
  for (const Segment& s : contour.Segs) {
    if (!s.DropMark) kept.push_back(s);
  }
  contour.Segs = std::move(kept);
}

// An arc of `model` (its marks and move type kept) from start to end around its centre.
Segment ArcLike(const Segment& model, const Point3& start, const Point3& end) {
  Segment arc = MakeArc(start.x, start.y, end.x, end.y, model.Center.x, model.Center.y,
                        model.Direction);
  arc.StartPt.z = start.z;
  arc.EndPt.z = end.z;
  arc.Center.z = model.Center.z;
  arc.MoveType = model.MoveType;
  arc.Visited = model.Visited;
  return arc;
}

// Two half arcs of one full turn of `arc`'s circle starting at `start`, split opposite it.
void HalfArcs(const Segment& arc, const Point3& start, Segment& first, Segment& second) {
  const Point3 opposite{2.0 * arc.Center.x - start.x, 2.0 * arc.Center.y - start.y, start.z};
  first = ArcLike(arc, start, opposite);
  second = ArcLike(arc, opposite, start);
}

bool AreHalvesOfOneTurn(const Segment& a, const Segment& b) {
  const Point3 opposite{2.0 * a.Center.x - a.StartPt.x, 2.0 * a.Center.y - a.StartPt.y, 0.0};
  return Same(a.EndPt, opposite) && Same(b.StartPt, opposite) && Same(b.EndPt, a.StartPt);
}

// Tries to merge segments i and i + 1; answers whether the contour changed.
bool MergePair(Contour& contour, int32_t i) {
  Segment& a = contour.Seg(i);
  const Segment& b = contour.Seg(i + 1);
  const auto erase_next = [&] { contour.Segs.erase(contour.Segs.begin() + (i + 1)); };

  if (a.IsLine() && b.IsLine()) {
    const double d = Distance(a.StartPt, b.EndPt);
    if (!(d > kEps && d > a.Length && d > b.Length)) return false;
    const double ux = (b.EndPt.x - a.StartPt.x) / d;
    const double uy = (b.EndPt.y - a.StartPt.y) / d;
    const double off = (a.EndPt.y - a.StartPt.y) * ux - (a.EndPt.x - a.StartPt.x) * uy;
    if (std::fabs(off) >= kProbeEps) return false;
    a.EndPt = b.EndPt;
    a.Length = d;
    a.Tangent[0] = AngleFromSinCos(uy, ux);
    a.Tangent[1] = a.Tangent[0];
    erase_next();
    return true;
  }
  if (a.IsArc() && b.IsArc()) {
    if (!Same(a.Center, b.Center) || std::fabs(a.Radius - b.Radius) >= kEps ||
        a.Direction != b.Direction)
      return false;
    if (Same(a.StartPt, b.EndPt)) {
      if (AreHalvesOfOneTurn(a, b)) return false;  // already stored as two half arcs
      Segment first, second;
      HalfArcs(a, a.StartPt, first, second);
      contour.Seg(i) = first;
      contour.Seg(i + 1) = second;
      return true;
    }
    a.EndPt = b.EndPt;
    ArcMidPoint(a.Center.x, a.Center.y, a.StartPt.x, a.StartPt.y, a.EndPt.x, a.EndPt.y, a.Radius,
                a.Direction, a.MidPt.x, a.MidPt.y);
    a.Tangent[1] = b.Tangent[1];
    a.SpanSign = SideOfChord(a.StartPt.x, a.StartPt.y, a.EndPt.x, a.EndPt.y, a.MidPt.x, a.MidPt.y,
                             a.Direction);
    a.Length += b.Length;
    erase_next();
    return true;
  }
  return false;
}

}  // namespace

void SimplifyContour(Contour& contour) {
  for (Segment& s : contour.Segs) s.DropMark = false;
  for (Segment& s : contour.Segs) {
    double d = 0.0, a = 0.0;
    LineLengthAngle(s.StartPt.x, s.StartPt.y, s.EndPt.x, s.EndPt.y, d, a);
    if (s.IsArc()) {
      if (d > kShortPiece) {
        const double ux = (s.EndPt.x - s.StartPt.x) / d;
        const double uy = (s.EndPt.y - s.StartPt.y) / d;
        const double dev = (s.MidPt.y - s.StartPt.y) * ux - (s.MidPt.x - s.StartPt.x) * uy;
        if (std::fabs(dev) < kFlatArc) {
          s.Kind = SegmentKind::Line;
          s.Length = d;
          s.Tangent[0] = a;
          s.Tangent[1] = a;
        }
      } else if (d < kEps) {
        s.DropMark = true;
      } else {
        s.Kind = SegmentKind::Line;
        s.Length = d;
        s.Tangent[0] = a;
      }
    } else if (s.IsLine() && d < kEps) {
      s.DropMark = true;
    }
  }
  RemoveMarked(contour);
}

int16_t ContourOrientation(GeometryServices& geometry, const Contour& contour) {
  if (contour.Empty() || contour.First().IsCircle()) return 1;
  for (const Segment& s : contour.Segs) {
    double mx = 0, my = 0, nx = 0, ny = 0;
    if (s.IsLine()) {
      mx = (s.StartPt.x + s.EndPt.x) / 2.0;
      my = (s.StartPt.y + s.EndPt.y) / 2.0;
      nx = -std::sin(s.Tangent[0]);
      ny = std::cos(s.Tangent[0]);
    } else if (s.IsArc()) {
      const double d = Distance(s.StartPt, s.EndPt);
      if (d < kEps) continue;  // a full turn has no chord to take a normal from
      mx = s.MidPt.x;
      my = s.MidPt.y;
      nx = -(s.EndPt.y - s.StartPt.y) / d;
      ny = (s.EndPt.x - s.StartPt.x) / d;
    } else {
      continue;
    }
    const int16_t left = geometry.PointInContour(contour, mx + kEps * nx, my + kEps * ny);
    const int16_t right = geometry.PointInContour(contour, mx - kEps * nx, my - kEps * ny);
    if (left * right == -1) return left == kInside ? 1 : -1;
  }
  return 1;
}

void MergeSegments(Contour& contour) {
  if (contour.Count() == 1 && contour.First().IsArc() &&
      Same(contour.First().StartPt, contour.First().EndPt)) {
    const Segment arc = contour.First();
    Segment first, second;
    HalfArcs(arc, arc.StartPt, first, second);
    contour.Segs = {first, second};
    return;
  }
  bool changed = true;
  while (changed) {
    changed = false;
    for (int32_t i = 0; i + 1 < contour.Count() && !changed; ++i) changed = MergePair(contour, i);
  }
}

void DropShortLines(Contour& contour) {
  std::vector<Segment> kept;
  kept.reserve(contour.Segs.size());
  for (const Segment& s : contour.Segs) {
    if (s.IsLine() && Distance(s.StartPt, s.EndPt) < kShortPiece) continue;
    kept.push_back(s);
  }
  contour.Segs = std::move(kept);
}

void RecenterArc(Segment& arc) {
  const double d = Distance(arc.StartPt, arc.EndPt);
  if (d == 0.0) throw GeometryError("an arc without a chord cannot be recentred");
  const double ux = (arc.EndPt.x - arc.StartPt.x) / d;
  const double uy = (arc.EndPt.y - arc.StartPt.y) / d;
  const double h = (arc.Center.y - arc.StartPt.y) * ux - (arc.Center.x - arc.StartPt.x) * uy;
  arc.Center.x = (arc.StartPt.x + arc.EndPt.x) / 2.0 - h * uy;
  arc.Center.y = (arc.StartPt.y + arc.EndPt.y) / 2.0 + h * ux;
  arc.Radius = Distance(arc.StartPt, arc.Center);
  ArcEndTangents(arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y, arc.Center.x,
                 arc.Center.y, arc.Radius, arc.Direction, arc.Tangent[0], arc.Tangent[1]);
  ArcMidPoint(arc.Center.x, arc.Center.y, arc.StartPt.x, arc.StartPt.y, arc.EndPt.x, arc.EndPt.y,
              arc.Radius, arc.Direction, arc.MidPt.x, arc.MidPt.y);
  arc.Length = d;
}

}  // namespace sulkor
