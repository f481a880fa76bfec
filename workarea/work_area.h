// The work area: the work contour reshaped into the region that a grooving tool of width W can
// reach by plunging straight in along the plunge axis of the operation's kind of work.
#pragma once

#include "operation/operation_state.h"

namespace sulkor {

// Reshapes the work contour (state.contours.work) in place into the work area for the tool
// width state.tool.Width, the blank state.contours.blank and the kind of work given by
// state.params.TrajectoryType and state.directionSign. Leaves the closed work area in
// state.contours.toClear. True when every step ran to its end; false when a step reached its
// attempt limit or any sulkor::Error was raised inside (the work contour then keeps the changes
// made so far).
bool BuildWorkArea(OperationState& state);

}  // namespace sulkor
