// The work area: the work contour reshaped into the region that a grooving tool of width W can
// reach by plunging straight in along the plunge axis, in one variant per kind of work.
#pragma once

#include <cstdint>
#include <string_view>

#include "operation/operation_state.h"

namespace sulkor {

// What tells the four kinds of work apart. Every variant works with an along axis u and a
// plunge axis v; for "Turn" u is x and v is y, for the face cases u is y and v is x.
struct WorkAreaVariant {
  bool alongIsX;             // u = x ("Turn") or u = y (face)
  double plungeAngle;        // direction of the overhang probes
  double plungeSign;         // -1 or +1: the sense of the plunge along v
  double probeExtra;         // added to the blank's extent along v for the overhang probes
  int passOneSign;           // -1: pass 1 takes c < -1e-6 (pass 2 c > 1e-6); +1 the reverse
  double gapAngleBack;       // direction angle of the probes towards -u (narrow gaps)
  double gapAngleForward;    // direction angle of the probes towards +u
  bool slotStartAbove;       // a slot wall qualifies by start.v > end.v + margin (true) or
  double slotMargin;         // by end.v > start.v + margin (false)
};

// The variant of a trajectory type and direction sign: "Turn" (exact) or anything else (face);
// sign -1, or anything else treated as 1.
const WorkAreaVariant& SelectWorkAreaVariant(std::string_view trajectoryType, int16_t sign);

// Reshapes the work contour (state.contours.work) in place into the work area for the tool
// width state.tool.Width, the blank state.contours.blank and the kind of work given by
// state.params.TrajectoryType and state.directionSign. Leaves the closed work area in
// state.contours.toClear. True when every step ran to its end; false when a step reached its
// attempt limit or any sulkor::Error was raised inside (the work contour then keeps the changes
// made so far).
bool BuildWorkArea(OperationState& state);

}  // namespace sulkor
