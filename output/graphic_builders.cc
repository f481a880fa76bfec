#include "output/graphic_builders.h"

#include <cmath>

namespace sulkor {
namespace {

void SetPen(Graphic& g) {
  g.SetProperty(kPenWidth, Variant(int16_t{0}));
  g.SetProperty(kPenStyle, Variant(kPenStyleContinuous));
}

void AddLine(Graphics& group, const Segment& s) {
  Handle<Graphic> line = group.Add();
  SetPen(*line);
  Handle<Vertices> vertices = line->VertexCollection();
  vertices->SetEditing(true);
  vertices->Add(s.StartPt.x, s.StartPt.y, kTrajectoryHeight);
  vertices->Add(s.EndPt.x, s.EndPt.y, kTrajectoryHeight);
  switch (s.MoveType) {
    case 0: line->SetProperty(kPenColor, Variant(kColorYellow)); break;
    case 1: line->SetProperty(kPenColor, Variant(kColorRed)); break;
    case 2: line->SetProperty(kPenColor, Variant(kColorCyan)); break;
    default: break;  // the host's own colour
  }
}

void AddArc(Graphics& group, const Segment& s) {
  Handle<Graphic> arc = group.AddArcThroughPoints(s.StartPt.x, s.StartPt.y, 0.0, s.MidPt.x,
                                                  s.MidPt.y, 0.0, s.EndPt.x, s.EndPt.y, 0.0);
  SetPen(*arc);
  if (s.Direction == -1) {
    // The drawing keeps arcs counterclockwise; a clockwise move is written in its own order:
    // start, end, and the point a quarter turn clockwise from the start.
    const double r = s.Radius;
    const double c = (s.StartPt.x - s.Center.x) / r;
    const double sn = (s.StartPt.y - s.Center.y) / r;
    Handle<Vertices> v = arc->VertexCollection();
    v->Item(0)->SetX(s.StartPt.x);
    v->Item(0)->SetY(s.StartPt.y);
    v->Item(1)->SetX(s.EndPt.x);
    v->Item(1)->SetY(s.EndPt.y);
    v->Item(2)->SetX(s.Center.x + r * sn);
    v->Item(2)->SetY(s.Center.y - r * c);
  }
  arc->SetProperty(kPenColor, Variant(kColorRed));
  arc->MoveBy(0.0, 0.0, kTrajectoryHeight);
}

void AddCircle(Graphics& group, const Segment& s) {
  Handle<Graphic> circle = group.AddCircleCenterPoint(s.Center.x, s.Center.y, 0.0,
                                                      s.Center.x + s.Radius, s.Center.y, 0.0);
  SetPen(*circle);
  circle->SetProperty(kPenColor, Variant(kColorRed));
  circle->MoveBy(0.0, 0.0, kTrajectoryHeight);
}

void AddVertex(Vertices& vertices, const Point3& p, bool arcMark) {
  Handle<Vertex> v = vertices.Add(p.x, p.y, p.z);
  if (arcMark) v->SetArcMark(true);
}

}  // namespace

Handle<Graphics> ScratchCollection(const OperationState& state) {
  return state.scratch->Children();
}

Handle<Graphic> BuildTrajectory(const OperationState& state, const Contour& toolPath) {
  Handle<Graphics> scratch = ScratchCollection(state);
  Handle<Graphic> group = scratch->Add();
  group->SetName(kTrajectoryName);
  Handle<Graphics> children = group->Children();
  for (const Segment& s : toolPath.Segs) {
    switch (s.Kind) {
      case SegmentKind::Line: AddLine(*children, s); break;
      case SegmentKind::Arc: AddArc(*children, s); break;
      case SegmentKind::Circle: AddCircle(*children, s); break;
      case SegmentKind::None: break;
    }
  }
  scratch->Remove(group->Index());
  return group;
}

Handle<Graphic> BuildPolyline(const OperationState& state, const Contour& source) {
  Contour contour = source;
  Segment& first = contour.Seg(0);
  Segment& last = contour.Seg(contour.Count() - 1);
  bool closed = false;
  if (std::fabs(first.StartPt.x - last.EndPt.x) < kCloseGap &&
      std::fabs(first.StartPt.y - last.EndPt.y) < kCloseGap) {
    last.EndPt.x = first.StartPt.x;
    last.EndPt.y = first.StartPt.y;
    closed = true;
  }

  Handle<Graphics> scratch = ScratchCollection(state);
  Handle<Graphic> result;
  if (first.IsCircle()) {
    result = scratch->AddCircleCenterPoint(first.Center.x, first.Center.y, 0.0,
                                           first.Center.x + first.Radius, first.Center.y, 0.0);
  } else {
    result = scratch->Add(kKindPolyline);
    result->SetProperty(kPenColor, Variant(kColorRed));
    Handle<Vertices> vertices = result->VertexCollection();
    AddVertex(*vertices, first.StartPt, false);
    for (const Segment& s : contour.Segs) {
      const double chord = std::hypot(s.EndPt.x - s.StartPt.x, s.EndPt.y - s.StartPt.y);
      if (s.IsLine()) {
        if (chord > kCloseGap) AddVertex(*vertices, s.EndPt, false);
      } else if (s.IsArc()) {
        if (chord > kCloseGap || s.Radius > kEps) {
          const double r = s.Radius;
          const double k = std::fabs(r) * s.Direction;
          const Point3 quarter{s.Center.x - k * (s.StartPt.y - s.Center.y) / r,
                               s.Center.y + k * (s.StartPt.x - s.Center.x) / r, s.Center.z};
          AddVertex(*vertices, s.Center, true);
          AddVertex(*vertices, quarter, true);
          AddVertex(*vertices, s.EndPt, false);
        }
      }
    }
    if (closed) result->SetClosed(true);
  }
  scratch->Remove(scratch->Count() - 1);
  return result;
}

}  // namespace sulkor
