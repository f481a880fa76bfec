// The machining guard: before a tool path leaves the engine, the insert is swept along it (the
// machining check) against the finished part as drawn and the stock standing at each move. A
// path that would cut the finished part, cross the spindle axis or run a positioning move
// through stock is a defect and never reaches the drawing or the machine.
#pragma once

#include <string>

#include "operation/operation_state.h"

namespace sulkor {

// Cuts into the finished part and positioning moves into the stock up to this deep (in
// millimetres) are the rounding of exact geometry, not cuts.
inline constexpr double kGuardDepthMm = 1e-3;

// Empty when the operation's tool path passes; otherwise why it does not, with its numbers.
std::string GuardToolPath(const OperationState& state);

}  // namespace sulkor
