// The working form of lines and arcs inside the offset and combination services: a curve with a
// parameter t in [0, 1] along it, exact end points, and the operations that cutting and joining
// contours needs (points, tangents, distance, pieces). Curves are intersected through their
// shapes (shape.h), by the same routine as the segments of the contour intersection.
#pragma once

#include "contour/records.h"
#include "kernel/box_index.h"
#include "kernel/kernel_tolerances.h"

namespace sulkor::host {

struct Curve {
  bool Arc = false;
  double X0 = 0.0, Y0 = 0.0;  // start
  double X1 = 0.0, Y1 = 0.0;  // end
  double Cx = 0.0, Cy = 0.0;  // arc centre
  double R = 0.0;             // arc radius
  double A0 = 0.0;            // arc: angle of the start seen from the centre
  double Sweep = 0.0;         // arc: signed angle swept, counterclockwise positive
  int Source = -1;            // index of the curve this one was cut from, -1 for none
};

Curve LineCurve(double x0, double y0, double x1, double y1);
// An arc around (cx, cy) of radius r from angle a0 through the signed sweep.
Curve ArcCurve(double cx, double cy, double r, double a0, double sweep);

// The curve of a segment, read as the segment intersection reads records (segment_intersect.cc:
// the radius field, full turns, circles); false for a segment of no length or of an unknown
// kind.
bool CurveFromSegment(const Segment& segment, Curve& curve);
// The segment of a curve, built with every field consistent.
Segment SegmentFromCurve(const Curve& curve);

double CurveLength(const Curve& c);
void PointAt(const Curve& c, double t, double& x, double& y);
// Unit direction of travel at parameter t.
void TangentAt(const Curve& c, double t, double& tx, double& ty);
// Signed curvature: 0 for a line, +1/R counterclockwise, -1/R clockwise.
double Curvature(const Curve& c);
Box BoxOf(const Curve& c);

// The parameter of the point of the curve nearest to (x, y).
double NearestParam(const Curve& c, double x, double y);

// The stretch from t0 to t1 (t0 < t1) with the given end points.
Curve SubCurve(const Curve& c, double t0, double t1, double x0, double y0, double x1, double y1);
Curve Reversed(const Curve& c);

// Integral of x dy - y dx over the curve, halved, with x and y measured from (ox, oy): the
// curve's share of the enclosed area. Measuring from a point of the loop keeps the rounding of
// the sum independent of where the loop lies.
double AreaTerm(const Curve& c, double ox = 0.0, double oy = 0.0);


}  // namespace sulkor::host
