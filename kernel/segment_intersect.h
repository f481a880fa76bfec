// Exact double-precision intersection of two segments (line/line, line/arc, arc/arc), the
// ground of the contour-intersection service, the offset and the combination of contours.
#pragma once

#include <cstdint>
#include <vector>

#include "contour/records.h"

namespace sulkor {

// One point shared by two segments. Along1 / Along2: distance from the start of each segment to
// the point, measured along it (arc length for arcs). Touch: the segments meet there without
// crossing (a tangent touch, or an end of one lying on the other). Overlap: the point is an end
// of a stretch that the two segments share (collinear lines, arcs on the same circle).
struct SegmentHit {
  double X = 0.0;
  double Y = 0.0;
  double Along1 = 0.0;
  double Along2 = 0.0;
  bool Touch = false;
  bool Overlap = false;
};

// Every point the two segments share, in the order of travel along the first. A shared stretch
// is reported by its two end points, each marked Overlap. "Circle" segments take part as full
// circles.
std::vector<SegmentHit> IntersectSegments(const Segment& first, const Segment& second);

}  // namespace sulkor
