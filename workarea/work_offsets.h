// The offsets of the work contour: the corner-radius offset that the tool's reference point
// follows, the finishing chain at the finish thickness, and the outline that roughing must clear.
#pragma once

#include "operation/operation_state.h"

namespace sulkor {

// Aligns the work contour (8) with the region to machine (7), replaces it by its offset at the
// tool's corner radius, forms the finishing chain (11 when the finish thickness exceeds 1e-4),
// and closes that chain with the boundary of the region into the outline to clear (12). Answers
// false when a step fails, e.g. when the chain does not cross the region twice.
bool OffsetWorkContour(OperationState& state);

}  // namespace sulkor
