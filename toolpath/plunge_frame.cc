#include "toolpath/plunge_frame.h"

#include "contour/segment_build.h"

namespace sulkor {

Point3 PlungeFrame::ToFrame(const Point3& p) const {
  switch (kind_) {
    case WorkKind::OutsideDiameter: return {p.x, p.y, p.z};
    case WorkKind::Bore: return {p.x, -p.y, p.z};
    case WorkKind::FrontFace: return {p.y, p.x, p.z};
    case WorkKind::BackFace: return {p.y, -p.x, p.z};
  }
  return p;
}

Point3 PlungeFrame::ToDrawing(const Point3& q) const {
  switch (kind_) {
    case WorkKind::OutsideDiameter: return {q.x, q.y, q.z};
    case WorkKind::Bore: return {q.x, -q.y, q.z};
    case WorkKind::FrontFace: return {q.y, q.x, q.z};
    case WorkKind::BackFace: return {-q.y, q.x, q.z};
  }
  return q;
}

Segment PlungeFrame::Map(const Segment& s, bool toFrame) const {
  Segment m = s;
  const auto map = [&](const Point3& p) { return toFrame ? ToFrame(p) : ToDrawing(p); };
  m.StartPt = map(s.StartPt);
  m.EndPt = map(s.EndPt);
  m.Center = map(s.Center);
  if ((s.IsArc() || s.IsCircle()) && Mirrors()) m.Direction = static_cast<int16_t>(-s.Direction);
  RefreshSegment(m);
  return m;
}

Segment PlungeFrame::ToFrame(const Segment& s) const { return Map(s, true); }
Segment PlungeFrame::ToDrawing(const Segment& s) const { return Map(s, false); }

Contour PlungeFrame::ToFrame(const Contour& c) const {
  Contour f = c;
  for (Segment& s : f.Segs) s = ToFrame(s);
  return f;
}

}  // namespace sulkor
