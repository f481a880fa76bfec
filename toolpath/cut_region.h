// The cut region: the positions that the tool's reference point may take while it clears the
// outline to clear (working contour 12).
#pragma once

#include "geometry/records.h"
#include "groove/operation_state.h"

namespace sulkor {

// The reference point of the path is the centre of the insert's corner radius on the low side of
// the cross axis; the other corner's centre sits w - 2r further along it. The cut region is where
// both corner centres lie inside the outline to clear: the outline in common with its copy shifted
// back by w - 2r (and 1e-6 across), simplified, restarted near the end of the work contour,
// counterclockwise, and without the narrow spikes that the tool cannot enter from the side.
// Answers false on any failure and when spike removal would make the region grow past twice its
// size.
bool BuildCutRegion(OperationState& state, Contour& region);

}  // namespace sulkor
