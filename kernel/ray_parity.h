// The one inside test of the geometry services: the parity of the crossings of the ray from a
// point towards +x with an outline, added up one line or arc at a time, and whether the point
// lies on the outline. point_in_contour.cc gives the rules; the point-in-contour service feeds
// it the segments of a contour, the combination the curves of an outline near the ray.
#pragma once

namespace sulkor::host {

class RayParity {
 public:
  // tol: the distance within which the point counts as on the outline.
  RayParity(double x, double y, double tol) : px_(x), py_(y), tol_(tol) {}

  void AddLine(double x1, double y1, double x2, double y2);
  // An arc around (cx, cy) of radius r from (sx, sy) to (ex, ey), counterclockwise when ccw;
  // a full turn from (sx, sy) back to it when full.
  void AddArc(double cx, double cy, double r, double sx, double sy, double ex, double ey,
              bool ccw, bool full);

  bool Odd() const { return odd_; }
  bool On() const { return on_; }

 private:
  void AddArcPiece(double cx, double cy, double r, double ay, double by);

  double px_;
  double py_;
  double tol_;
  bool odd_ = false;
  bool on_ = false;
};

}  // namespace sulkor::host
