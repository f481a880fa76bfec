// Small contour utilities that every layer above the records uses: simplification, orientation,
// merging of neighbouring segments, removal of short lines and the repair of a moved arc.
#pragma once

#include <cstdint>

#include "contour/records.h"
#include "contour/geometry_services.h"

namespace sulkor {

// Turns nearly straight arcs (mid point less than 0.001 off the chord) and very short arcs into
// lines, and removes lines and arcs shorter than 1e-6.
void SimplifyContour(Contour& contour);

// 1 when the closed contour runs counterclockwise (its inside on the left), -1 when clockwise.
// Decided by the first segment whose two test points 1e-6 either side of its middle fall one
// inside and one outside; 1 when no segment decides and for a full circle.
int16_t ContourOrientation(GeometryServices& geometry, const Contour& contour);

// Joins neighbouring collinear lines and neighbouring arcs of one circle. An arc that closes on
// itself is kept as two half arcs split at the point opposite its start.
void MergeSegments(Contour& contour);

// Drops every line shorter than 1e-5.
void DropShortLines(Contour& contour);

// Puts an arc's centre back on the perpendicular bisector of its (moved) end points, keeping the
// centre's distance from the chord; recomputes radius, tangents and mid point. Length becomes
// the chord length.
void RecenterArc(Segment& arc);

}  // namespace sulkor
