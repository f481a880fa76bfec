// The groove tool path: plunge roughing with pecks, finishing down both walls and along the
// bottom, an optional finishing pass at the finished profile, the approach and the return, for
// the four kinds of work; then the removed material and the stock that remains.
#pragma once

#include <cstdint>

#include "geometry/records.h"
#include "groove/operation_state.h"

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

// Builds the tool path of the operation's kind of work from the prepared working contours into
// `toolPath`: the moves in order from the start point back to it, each with its MoveType and
// Phase. Then trims the removed-material outline (working contour 7) below the tool's deepest
// point and recomputes the remaining stock (working contour 2) as the blank less that outline.
// Answers false when there is no cut region or no plunge (the path is left as it was), on any
// failure while the path is built (a probe count of zero, a peck count beyond 16 bits, a
// service that fails), and on a failure in the removed-material update, which leaves the path
// complete.
bool BuildGroovePath(OperationState& state, Contour& toolPath);

}  // namespace sulkor
