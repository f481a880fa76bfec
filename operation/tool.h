// The operation's tool: loaded from the data store's tool table, checked and converted into the
// units of the drawing before every computation.
#pragma once

#include <string_view>

#include "operation/operation_state.h"
#include "sulkor/data_store.h"
#include "sulkor/store_names.h"

namespace sulkor {

// Below this the corner is treated as sharp by the geometry (100 * 1e-6).
inline constexpr double kSharpCornerRadius = 1e-4;

// Loads the tool that the block set's ToolNumber names into state.tool (and the number into
// state.params.ToolNumber), checks it and converts its lengths into the drawing's units.
// Answers false, after its message, for a tool that is not a grooving tool (101/102) or whose
// corner radius exceeds half its width (110); false without a message when the data store fails
// in reading the tool or the block set has no part. Never throws.
bool LoadTool(OperationState& state, const Handle<BlockSet>& camBSet);

}  // namespace sulkor
