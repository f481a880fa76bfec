// The spine of a computation: from an operation's block set to a recorded, drawn tool path.
#pragma once

#include <string>
#include <string_view>

#include "operation/operation_state.h"
#include "sulkor/data_store.h"
#include "sulkor/store_names.h"

namespace sulkor {

// The subtype written to the block set: "External", "Internal", "Face", "BackFace", or the empty
// text for a trajectory type that is neither "Turn" nor "Face".
std::string TrajectorySubType(const std::string& trajectoryType, int16_t directionSign);

// The whole computation of one operation: working contours reset, units reread, tool loaded,
// geometry prepared, parameters validated, tool path generated for the kind of work, drawn as
// the block set's trajectory, removed material and stock written, subtype recorded. Answers
// whether a tool path was computed and recorded. bUpdToolPath has no effect.
bool RunOperation(OperationState& state, const Handle<BlockSet>& camBSet, bool bUpdToolPath);

// Preparation, validation and the generator of the kind of work; a generator that fails shows
// message 111 (turning) or 112 (facing). The path goes to state.toolPath.
bool ComputeToolPath(OperationState& state, const Handle<BlockSet>& camBSet,
                     const Handle<GraphicSet>& contourSet);

// DoGroove: the run of a block set whose contour set holds graphics, then the parameters
// written back. Never throws.
bool DoGrooveOperation(OperationState& state, const Handle<BlockSet>& camBSet);

}  // namespace sulkor
