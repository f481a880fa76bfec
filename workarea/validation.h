// Checks of the blank and the work contour before any tool path is computed: closedness and
// self-intersections.
#pragma once

#include <vector>

#include "contour/records.h"
#include "sulkor/self_intersection.h"

namespace sulkor {

// Which contour is tested for closedness. The blank counts as closed when its ends agree within
// 1.5e-5 inclusive; the work contour counts as closed only when they agree strictly within it, so
// a gap of exactly 1.5e-5 closes a blank but leaves a work contour open.
enum class ContourRole { Blank, Work };

// Compares the start of the first segment with the end of the last. An empty contour has no ends
// to compare and throws GeometryError.
bool IsContourClosed(const Contour& contour, ContourRole role);

// True when the contour crosses itself. Every ordered pair of segments is compared (quadratic:
// groove contours are small). Clears the Visited marks. Full circles take part in nothing.
// The crossings found, each once, go to *found when it is given.
bool FindSelfIntersections(Contour& contour, std::vector<SelfIntersection>* found = nullptr);

}  // namespace sulkor
