// How the drawing stores an arc as vertices, and the arithmetic that reads it back.
//
// An arc is kept as its start, its end and the point a quarter turn from the start in the arc's
// direction of travel; where known, its centre is kept too. The quarter point fixes the direction:
// it lies a quarter turn counterclockwise from the start for a counterclockwise arc and a quarter
// turn clockwise for a clockwise one. Both the drawing model (bounding boxes, arcs through three
// points) and the contour converter read arcs through these functions.
#pragma once

#include <cstdint>

namespace sulkor::host {

struct Point2 {
  double x = 0.0;
  double y = 0.0;
};

struct ArcGeometry {
  Point2 center;
  double radius = 0.0;
  int16_t direction = 1;  // 1 counterclockwise, -1 clockwise
};

// The point a quarter turn from start around center, counterclockwise for direction 1 and
// clockwise for -1.
Point2 QuarterPoint(Point2 start, Point2 center, int16_t direction);

// The direction of travel that takes start to quarter by a quarter turn around center: 1 when
// quarter lies counterclockwise of start, -1 when clockwise. Throws GeometryError when the three
// points do not turn (start or quarter at the centre, or on one line through it).
int16_t DirectionFromQuarterPoint(Point2 start, Point2 quarter, Point2 center);

// The arc given by its start, its quarter point and its centre. Throws GeometryError for a zero
// radius or points that do not fix a direction.
ArcGeometry ArcFromCenter(Point2 start, Point2 quarter, Point2 center);

// The arc given by its start, its quarter point and its end, without its centre: of the two
// circles through start and quarter whose centre sees them a quarter turn apart, the one that
// passes nearer to end. When end lies equally near both (an end at the start, or at the quarter
// point), the counterclockwise arc is taken. Throws GeometryError when start and quarter coincide.
ArcGeometry ArcFromQuarterAndEnd(Point2 start, Point2 quarter, Point2 end);

// The centre of the circle through three points. Throws GeometryError when they lie on one line
// (within 1e-6 of area per unit of length) or two of them coincide.
Point2 CircleThroughPoints(Point2 a, Point2 b, Point2 c);

// Whether a -> b -> c turns counterclockwise (a positive cross product).
bool TurnsCounterclockwise(Point2 a, Point2 b, Point2 c);

// The extreme coordinates of an arc from start to end around center in the given direction
// (equal start and end make a full turn); lo and hi are widened to include it.
void WidenByArc(Point2 start, Point2 end, const ArcGeometry& arc, Point2& lo, Point2& hi);

}  // namespace sulkor::host
