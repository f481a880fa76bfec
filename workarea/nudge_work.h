// Moving the work contour off its contacts with the blank outline by tiny amounts, so that the
// later intersections with the blank find clean crossings.
#pragma once

#include <array>
#include <cstdint>

#include "contour/records.h"
#include "operation/operation_state.h"

namespace sulkor {

// An arc refitted to a chord: a new centre on the chord's perpendicular bisector, its radius and
// the tangents at the chord's ends.
struct ArcRefit {
  double CenterX = 0.0;
  double CenterY = 0.0;
  double Radius = 0.0;
  std::array<double, 2> Tangent{};
};

// Refits an arc of the given direction and centre (cx, cy) to the chord (ax, ay) -> (bx, by):
// the centre keeps its signed distance d from the chord line, grown by extra away from the chord
// (nothing when |d| < 1e-6), and is moved onto the perpendicular bisector. A chord of zero length
// is a GeometryError.
ArcRefit RefitArcToChord(double ax, double ay, double bx, double by, double cx, double cy,
                         int16_t direction, double extra);

// Moves the work contour (state.contours.work) off the blank outline (state.contours.blank):
// arcs inside the run that only touch the outline are flattened by 1e-4, the first and last
// segments are lengthened by 1e-4 past the outline, and lines lying on the outline are pushed
// 2e-5 away from the blank's inside, their neighbours following. Errors reach the caller.
void NudgeWorkAtBlank(OperationState& state);

}  // namespace sulkor
