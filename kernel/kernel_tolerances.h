// The tolerances of the exact line/arc services, in one place. Distances are in drawing units
// (the services do not know whether those are millimetres or inches), areas in square drawing
// units, angles in radians.
//
// Each of them decides a question of topology (is a point on a curve, are two ends one node,
// does a piece lie on the other outline), so none grows with the coordinates: a profile drawn at
// x = 1e5 is cut, classified and stitched as the same profile at the origin. The rounding of
// double arithmetic is about 2e-16 times the coordinates, 2e-11 at 1e5, far below all of them;
// only the on-curve distance of the inside test keeps a floor at a few times that rounding, for
// drawings farther out still.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace sulkor::host {

// A point within this distance of a line or arc lies on it (segment intersection, contour
// intersection, point in contour). A thousand times finer than the 1e-6 at which the operation
// calls two coordinates equal, so every contact reported is one the operation sees on both.
inline constexpr double kOnTol = 1e-9;

// The on-curve distance for a point at (x, y): kOnTol, or eight roundings of the coordinates
// where those exceed it (beyond about 5e5), so that a point computed on a curve stays on it.
inline double OnTolAt(double x, double y) {
  return std::max(kOnTol, 8.0 * std::numeric_limits<double>::epsilon() *
                              std::max(std::fabs(x), std::fabs(y)));
}

// Ends closer than this are one node of an arrangement, and shorter pieces vanish. Far below
// the 1e-6 of the records, so that a copy shifted by 1e-6 stays a distinct outline; ten times
// kOnTol, so that the ends of one contact found on two curves always fall together.
inline constexpr double kNodeTol = 1e-8;

// A piece of one outline lies on the other when its middle is nearer than this: between the
// node tolerance and the 1e-6 of a copy shifted by the records' tolerance.
inline constexpr double kSharedTol = 1e-7;

// Loops and outlines of smaller area are the debris of rounding where two outlines run
// together. Areas are summed from the loop's own first point, so their rounding depends on the
// loop's size and not on where it lies.
inline constexpr double kMinLoopArea = 1e-12;

// Box widening of the contour intersection's filter: twice kOnTol, plus the rounding of the
// box's own coordinates (a relative part: the box must contain what rounding moves).
inline constexpr double kBoxWiden = 2.0 * kOnTol;
inline constexpr double kBoxWidenPerUnit = 1e-15;

// Directions that differ by less than this are the same when the stitching compares turns.
inline constexpr double kTurnTol = 1e-9;

// An offset join that turns back by half a turn within this is a reversal.
inline constexpr double kReversalTol = 1e-12;

// An arc whose sweep is a full turn within this is a whole circle.
inline constexpr double kFullTurnTol = 1e-15;

inline constexpr double kFullTurn = 2.0 * std::numbers::pi;

}  // namespace sulkor::host
