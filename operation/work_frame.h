// The frame of a kind of work: the plunge axis and its sense, the cross axis along which the
// plunges are spaced, the maps between the drawing and the frame, and what each step does
// differently for each kind.
//
// In the frame u runs along the cross axis and v against the plunge (out of the part). There all
// four kinds of work are the outside diameter: the part lies below, the insert comes down from
// above, and its reference point (the centre of its corner radius on the low side of the cross
// axis) has the other corner centre w - 2r further along +u.
//
//   outside diameter: u = x, v = y   (plunges towards -y)
//   bore:             u = x, v = -y  (plunges towards +y)
//   front face:       u = y, v = x   (plunges towards -x)
//   back face:        u = y, v = -x  (plunges towards +x)
//
// The cross axis is the spindle axis (x) for the diameters and the radial axis (y) for the faces.
#pragma once

#include <cstdint>
#include <string>

#include "contour/records.h"
#include "operation/work_kind.h"

namespace sulkor {

// The per-kind constants of the steps, beyond what the axes say. One row per kind of work in
// work_frame.cc.
struct KindConstants {
  // The work area.
  // Added to the blank's extent along the plunge axis for the probes that find overhangs.
  double overhangProbeExtra;
  // Which segments the first overhang pass takes: -1 those with c < -1e-6, +1 those with
  // c > 1e-6, where c is the cross product of the segment with the plunge direction; the
  // second pass takes the others.
  int overhangPassOneSign;
  // A slot wall qualifies when its start stands higher (against the plunge) than its end by
  // more than this.
  double slotMargin;

  // The tool path.
  // Added above every plunge and over the stock for a positioning move, in tool widths.
  double clearanceWidths;
  // The approach runs across at the start point's level first, then plunges in; the return the
  // other way round.
  bool approachAcrossFirst;
  // The reference point stays r below the spindle axis (v = -r): in a bore the insert's corner
  // circle keeps to its own side of the axis, whatever the clearance asks for.
  bool cornerBelowSpindleAxis;
};

class WorkFrame {
 public:
  explicit WorkFrame(WorkKind kind) : kind_(kind) {}
  // The frame of a trajectory type and direction sign (see KindOfWork).
  WorkFrame(const std::string& trajectoryType, int16_t directionSign)
      : kind_(KindOfWork(trajectoryType, directionSign)) {}

  WorkKind Kind() const { return kind_; }
  // The cross axis is the drawing's x (diameters) or its y (faces).
  bool CrossIsX() const { return kind_ == WorkKind::OutsideDiameter || kind_ == WorkKind::Bore; }
  // The sense of the plunge along its drawing axis: -1 towards lower coordinates (outside
  // diameter, front face), +1 towards higher ones (bore, back face).
  double PlungeSense() const {
    return kind_ == WorkKind::Bore || kind_ == WorkKind::BackFace ? 1.0 : -1.0;
  }
  // Whether the map turns counterclockwise arcs clockwise.
  bool Mirrors() const { return kind_ == WorkKind::Bore || kind_ == WorkKind::FrontFace; }

  // Directions in the drawing, as angles formed from kPi exactly as written in work_frame.cc:
  // their sines and cosines carry the error of that value of pi (cos(3 * kPi / 2) is about
  // -4.6e-15), and the work area's probes rely on it.
  double PlungeAngle() const;
  double CrossAngle(bool forward) const;  // +u (forward) or -u

  // The coordinate along the cross axis (u) and the drawing coordinate along the plunge axis.
  double Cross(double x, double y) const { return CrossIsX() ? x : y; }
  double Cross(const Point3& p) const { return Cross(p.x, p.y); }
  double PlungeAxis(double x, double y) const { return CrossIsX() ? y : x; }
  double PlungeAxis(const Point3& p) const { return PlungeAxis(p.x, p.y); }
  // p moved by du along the cross axis, and by `depth` in the sense of the plunge.
  Point3 AlongCross(const Point3& p, double du) const;
  Point3 Plunged(const Point3& p, double depth) const;

  Point3 ToFrame(const Point3& p) const;
  Point3 ToDrawing(const Point3& q) const;
  // Lines and arcs with every derived field recomputed; marks, move type and phase kept.
  Segment ToFrame(const Segment& s) const;
  Segment ToDrawing(const Segment& s) const;
  Contour ToFrame(const Contour& c) const;
  Contour ToDrawing(const Contour& c) const;

  const KindConstants& Constants() const;

 private:
  Segment Map(const Segment& s, bool toFrame) const;
  WorkKind kind_;
};

}  // namespace sulkor
