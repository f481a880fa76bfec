// The groove tool path: plunge roughing with pecks, finishing down both walls and along the
// bottom, a semi-finishing pass at the allowance and the last pass on the drawn profile, the
// approach and the return, for the four kinds of work; then the removed material and the stock
// that remains.
#pragma once

#include <cstdint>

#include "contour/records.h"
#include "operation/operation_state.h"

namespace sulkor {

// Segment::MoveType of a tool-path move.
inline constexpr int16_t kMovePositioning = 0;
inline constexpr int16_t kMoveCutting = 1;

// Segment::Phase of a tool-path move: positioning moves carry none, cutting moves the phase
// whose feed they run at.
inline constexpr int16_t kPhaseNone = 0;
inline constexpr int16_t kPhaseRoughing = 1;
inline constexpr int16_t kPhaseFinishing = 2;

// The number of pecks that cut a plunge of `depth` at `depthPerPass` each: 1 when the plunge is
// no deeper than one pass (within 1e-6) or the depth per pass is below 1e-6, else
// Int(depth / depthPerPass) + 1, so a depth of exactly two passes takes three pecks. A count
// beyond the 16-bit range throws GeometryError.
int16_t PeckCount(double depth, double depthPerPass);

// Builds the tool path of the operation's kind of work into `toolPath`: the moves in order from
// the start point back to it, each with its MoveType and Phase, worked out from the insert's
// reachable region (see envelope.h): roughing plunges that leave the largest finish allowance that
// fits, the semi-finishing pass along that level, the last pass with the insert touching the drawn
// profile, and positioning moves that stay clear of the stock. Then sets the removed-material
// outline (working contour 7) and the remaining stock (working contour 2) to what the insert swept.
// Answers false, with the reason in the operation's failureDetail, when the insert cannot enter
// the groove, the start point lies in the stock, or a step fails.
bool BuildGroovePath(OperationState& state, Contour& toolPath);

}  // namespace sulkor
