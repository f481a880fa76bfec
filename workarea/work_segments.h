// Small pieces shared by the work-area steps: the one-segment probe contour, checked division,
// the projection onto a circle and the comparison that tells whether a rebuild changed the path
// of a contour at all.
#pragma once

#include "contour/primitives.h"
#include "contour/records.h"
#include "contour/segment_build.h"

namespace sulkor {

// Moves x and y of a point; z is left as it was.
void SetXY(Point3& point, double x, double y);

// A one-segment contour holding a "Line" with the given ends, length and direction angle in
// Tangent element 0; the other fields carry no meaning.
Contour ProbeContour(double x1, double y1, double x2, double y2, double length, double angle);

// numerator / denominator; a zero denominator is a GeometryError, as is a result that is not a
// finite number.
double CheckedDivide(double numerator, double denominator);

// The point of the circle (cx, cy, radius) on the ray from the centre through (px, py).
// A point at the centre itself has no such ray: GeometryError.
void ProjectOntoCircle(double cx, double cy, double radius, double px, double py, double& x,
                       double& y);

// True when the two contours trace the same path at the tolerance of the geometry: they start
// and end at the same points, and the ends of every segment of each, with points spread along
// it, lie within 1e-6 of the other. A rebuild that only adds a vertex to a run, or swaps a piece
// of an arc for a chord that keeps within 1e-6 of it, does not change the contour.
bool SameShape(const Contour& a, const Contour& b);

// Joins each run of collinear lines into one line and each run of arcs of one circle into one
// arc of less than half a turn (so that a joined arc never closes on itself), in one pass: a
// joint within 1e-9 of the run's line or circle is no corner. A groove bottom drawn as
// thousands of collinear pieces is one line to the preparation, whose checks compare every
// segment with every other and whose sweeps start over after each change.
void JoinRuns(Contour& contour);

}  // namespace sulkor
