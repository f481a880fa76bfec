// Contour primitives that ask the contour-intersection service: inserting a vertex at a point of
// a contour and the bounding box of a contour. A failing service throws; these routines do not
// catch, so the caller's error handling decides.
#pragma once

#include "contour/records.h"
#include "contour/geometry_services.h"

namespace sulkor {

// Makes (px, py), a point that lies on the contour, a vertex of it. Short probe lines through
// the point, of half-lengths 1e-4, 1e-3, ..., 1 at the angles 0.5 and 0.5 + pi/2, are crossed
// with the contour until one meets it; of that probe's crossings the one nearest to the point
// (the first returned among equally near ones) names the point and the segment. A
// crossing at an end of that segment changes nothing; otherwise the segment is cut in two
// there. Answers whether a probe met the contour (false: the contour is left as it was).
bool SplitContourAtPoint(GeometryServices& services, Contour& contour, double px, double py);

// Sets MaxX, MinX, MaxY, MinY from the segments' ends, the circles' extents and the points where
// the arcs cross their horizontal and vertical diameters (found by the intersection service).
void ContourBounds(GeometryServices& services, Contour& contour);

}  // namespace sulkor
