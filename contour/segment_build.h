// Building segments and contours with every field consistent: Length, Tangent, MidPt, SpanSign.
#pragma once

#include <cstdint>
#include <vector>

#include "contour/records.h"

namespace sulkor {

Segment MakeLine(double x1, double y1, double x2, double y2);

// An arc from start to end around centre, counterclockwise for direction 1, clockwise for -1.
// Its radius is the distance from the centre to the start. Equal start and end make a full turn.
Segment MakeArc(double sx, double sy, double ex, double ey, double cx, double cy,
                int16_t direction);

Segment MakeCircle(double cx, double cy, double radius);

// Length and both tangent elements of a line from its end points, whatever its kind says.
void RefreshLine(Segment& line);

// Recomputes the derived fields of a segment from its kind, ends, centre, radius and direction.
void RefreshSegment(Segment& segment);

// The partial refreshes that the work-area steps make after moving an end, each as it has always
// been done there (the later steps see exactly these fields):
// an arc's MidPt and both end tangents; its Length and SpanSign are left as they were.
void RefreshArcMidAndTangents(Segment& arc);
// an arc's two end tangents only.
void RefreshArcTangents(Segment& arc);
// RefreshLine for a line, RefreshArcMidAndTangents for anything else.
void RefreshMovedSegment(Segment& segment);

// A contour of the given segments, in order.
Contour MakeContour(std::vector<Segment> segments);

// A closed polygon of lines through the points (x0, y0, x1, y1, ...), closed back to the first.
Contour MakePolygon(const std::vector<double>& xy);

// An open chain of lines through the points (x0, y0, x1, y1, ...).
Contour MakePolyline(const std::vector<double>& xy);

}  // namespace sulkor
