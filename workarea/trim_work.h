// Trimming the work contour to the part of it that lies inside the blank.
#pragma once

#include "operation/operation_state.h"

namespace sulkor {

// Cuts the work contour (state.contours.work) down to the run between its first and its last
// crossing with the blank (state.contours.blank): every crossing becomes a vertex, and the
// segments from the one starting at the first crossing to the one ending at the last crossing
// are kept (the search is repeated with the two crossings exchanged when the contour runs the
// other way). A result without crossings, a kept range that would be empty, or any failure of
// the geometry services raises a sulkor::Error to the caller.
void TrimWorkToBlank(OperationState& state);

}  // namespace sulkor
