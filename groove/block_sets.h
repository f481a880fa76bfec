// An operation's record in the CAM data store: creating it for a new groove, and updating an
// existing one, which hands its remaining stock on to the following operation.
#pragma once

#include "operation/operation_state.h"
#include "sulkor/data_store.h"

namespace sulkor {

// A new, initialized block set of the active part with the operation's parameters and the
// selected graphics as its contour set. Errors are suppressed: what fails is skipped.
Handle<BlockSet> CreateGrooveBlockSet(OperationState& state, const Handle<GraphicSet>& gxCntrSet);

// Recomputes the operation and, when that succeeded, replaces the following operation's
// "LastPartBlank" by this operation's remaining stock and asks it to update itself (telling the
// events site OnDeleteBlockSet when it cannot). Answers whether this operation was recomputed.
bool UpdateGrooveBlockSet(OperationState& state, const Handle<BlockSet>& camBSet,
                          bool bUpdToolPath);

}  // namespace sulkor
