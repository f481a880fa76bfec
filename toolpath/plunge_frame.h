// The plunge frame of a kind of work: u along the cross axis (along which the plunges are
// spaced), v against the plunge (out of the part). In it all four kinds of work are the outside
// diameter: the part lies below, the insert comes down from above, and its reference point (the
// centre of its corner radius on the low side of the cross axis) has the other corner centre
// w - 2r further along +u.
//
//   outside diameter: u = x, v = y        bore:      u = x, v = -y
//   front face:       u = y, v = x        back face: u = y, v = -x
#pragma once

#include "contour/records.h"
#include "operation/work_kind.h"

namespace sulkor {

class PlungeFrame {
 public:
  explicit PlungeFrame(WorkKind kind) : kind_(kind) {}

  WorkKind Kind() const { return kind_; }
  // Whether the map turns counterclockwise arcs clockwise.
  bool Mirrors() const { return kind_ == WorkKind::Bore || kind_ == WorkKind::FrontFace; }

  Point3 ToFrame(const Point3& p) const;
  Point3 ToDrawing(const Point3& q) const;
  // Lines and arcs with every derived field recomputed; marks, move type and phase kept.
  Segment ToFrame(const Segment& s) const;
  Segment ToDrawing(const Segment& s) const;
  Contour ToFrame(const Contour& c) const;

 private:
  Segment Map(const Segment& s, bool toFrame) const;
  WorkKind kind_;
};

}  // namespace sulkor
