// The groove regions: the blank cut into two closed regions along the work contour, and the rule
// that picks the region holding the material to remove.
#pragma once

#include <cstdint>

#include "contour/records.h"
#include "operation/operation_state.h"

namespace sulkor {

enum class RegionChoice { None, A, B };

// Splits the blank (working contour 1) by the work contour (8) at their first two crossings P0
// and P1: the work contour is trimmed to its part between them, the blank restarts at P0, region
// A (3) runs along the blank from P0 to P1 and back along the work contour, region B (4) the rest
// of the blank closed the same way; pieces A (5) and B (6) are the blank parts alone. Answers
// false when there are fewer than two crossings or a crossing cannot be found again as a vertex.
bool SplitBlankByWork(OperationState& state);

// A point 1e-4 beside the segment's middle: to the left of its run for side 1, to the right for
// side -1. For a segment that is neither line nor arc, x and y keep the previous point.
void SideTestPoint(const Segment& segment, int16_t side, double& x, double& y);

// The region on the given side of the work contour. Every work segment whose test point lies
// inside the blank decides anew, so the last one counts: inside region A picks A, anything else
// B. None when no test point lies inside the blank.
RegionChoice ChooseRegion(GeometryServices& geometry, const Contour& work, int16_t side,
                          const Contour& blank, const Contour& regionA);

// 1 for the direction parameter "External" exactly, -1 for anything else.
int16_t SideOfDirection(const std::string& direction);

}  // namespace sulkor
