#include "operation/work_frame.h"

#include "contour/segment_build.h"
#include "contour/tolerances.h"

namespace sulkor {
namespace {

constexpr KindConstants kOutsideDiameter{
    .overhangProbeExtra = 0.0,
    .overhangPassOneSign = -1,
    .slotMargin = kEps,
    .clearanceWidths = 0.5,
    .approachAcrossFirst = true,
    .cornerBelowSpindleAxis = false,
};

// The bore's overhang probes reach 1e-4 beyond the blank's extent along the plunge axis.
constexpr KindConstants kBore{
    .overhangProbeExtra = kProbeEps,
    .overhangPassOneSign = 1,
    .slotMargin = kEps,
    .clearanceWidths = 1.0,
    .approachAcrossFirst = false,
    .cornerBelowSpindleAxis = true,
};

constexpr KindConstants kFrontFace{
    .overhangProbeExtra = 0.0,
    .overhangPassOneSign = 1,
    .slotMargin = kEps,
    .clearanceWidths = 1.0,
    .approachAcrossFirst = true,
    .cornerBelowSpindleAxis = false,
};

// The back face also takes a slot wall whose ends stand level within 1e-6.
constexpr KindConstants kBackFace{
    .overhangProbeExtra = 0.0,
    .overhangPassOneSign = -1,
    .slotMargin = -kEps,
    .clearanceWidths = 0.5,
    .approachAcrossFirst = false,
    .cornerBelowSpindleAxis = false,
};

}  // namespace

const KindConstants& WorkFrame::Constants() const {
  switch (kind_) {
    case WorkKind::OutsideDiameter: return kOutsideDiameter;
    case WorkKind::Bore: return kBore;
    case WorkKind::FrontFace: return kFrontFace;
    case WorkKind::BackFace: return kBackFace;
  }
  return kOutsideDiameter;
}

double WorkFrame::PlungeAngle() const {
  switch (kind_) {
    case WorkKind::OutsideDiameter: return 3 * kPi / 2;
    case WorkKind::Bore: return kPi / 2;
    case WorkKind::FrontFace: return kPi;
    case WorkKind::BackFace: return 0.0;
  }
  return 3 * kPi / 2;
}

double WorkFrame::CrossAngle(bool forward) const {
  if (CrossIsX()) return forward ? 0.0 : kPi;
  return forward ? kPi / 2 : 3 * kPi / 2;
}

Point3 WorkFrame::AlongCross(const Point3& p, double du) const {
  return CrossIsX() ? Point3{p.x + du, p.y, p.z} : Point3{p.x, p.y + du, p.z};
}

Point3 WorkFrame::Plunged(const Point3& p, double depth) const {
  const double d = PlungeSense() * depth;
  return CrossIsX() ? Point3{p.x, p.y + d, p.z} : Point3{p.x + d, p.y, p.z};
}

Point3 WorkFrame::ToFrame(const Point3& p) const {
  switch (kind_) {
    case WorkKind::OutsideDiameter: return {p.x, p.y, p.z};
    case WorkKind::Bore: return {p.x, -p.y, p.z};
    case WorkKind::FrontFace: return {p.y, p.x, p.z};
    case WorkKind::BackFace: return {p.y, -p.x, p.z};
  }
  return p;
}

Point3 WorkFrame::ToDrawing(const Point3& q) const {
  switch (kind_) {
    case WorkKind::OutsideDiameter: return {q.x, q.y, q.z};
    case WorkKind::Bore: return {q.x, -q.y, q.z};
    case WorkKind::FrontFace: return {q.y, q.x, q.z};
    case WorkKind::BackFace: return {-q.y, q.x, q.z};
  }
  return q;
}

Segment WorkFrame::Map(const Segment& s, bool toFrame) const {
  Segment m = s;
  const auto map = [&](const Point3& p) { return toFrame ? ToFrame(p) : ToDrawing(p); };
  m.StartPt = map(s.StartPt);
  m.EndPt = map(s.EndPt);
  m.Center = map(s.Center);
  if ((s.IsArc() || s.IsCircle()) && Mirrors()) m.Direction = static_cast<int16_t>(-s.Direction);
  RefreshSegment(m);
  return m;
}

Segment WorkFrame::ToFrame(const Segment& s) const { return Map(s, true); }
Segment WorkFrame::ToDrawing(const Segment& s) const { return Map(s, false); }

Contour WorkFrame::ToFrame(const Contour& c) const {
  Contour f = c;
  for (Segment& s : f.Segs) s = ToFrame(s);
  return f;
}

Contour WorkFrame::ToDrawing(const Contour& c) const {
  Contour d = c;
  for (Segment& s : d.Segs) s = ToDrawing(s);
  return d;
}

}  // namespace sulkor
