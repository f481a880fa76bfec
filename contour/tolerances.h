// The geometry's tolerances and its value of pi, in one place.
#pragma once

namespace sulkor {

// The exact value matters: cos(3 * kPi / 2) is not 0 with it, and the code relies on that.
inline constexpr double kPi = 3.14159265358979;
inline constexpr double kTwoPi = 2.0 * kPi;

inline constexpr double kEps = 1e-6;          // equal coordinates, zero length, parallelism
inline constexpr double kCircleEps = 1e-9;    // circle intersections
inline constexpr double kSweepEps = 1e-10;    // the arc-sweep test
inline constexpr double kAngleEps = 1e-13;    // angle from sine and cosine
inline constexpr double kProbeEps = 1e-4;     // test points and probe lines (100 * kEps)
inline constexpr double kClosedEps = 1.5e-5;  // closedness of a contour (15 * kEps)

// Outlines written to the drawing and tidied for it, in drawing units.
// A polyline closes when its ends meet this closely, and a piece with a shorter chord adds no
// vertex of its own: ten times kEps, so that ends that the geometry has joined within its own
// tolerance always close.
inline constexpr double kCloseGap = 1e-5;
// Tidying a contour drops lines shorter than this and turns arcs with a shorter chord into lines:
// pieces this short are rounding left over from the geometry, not drawn features.
inline constexpr double kShortPiece = 1e-5;
// Tidying a contour turns an arc into its chord when its middle lies closer than this to the
// chord: a flatter arc is a line drawn with rounding.
inline constexpr double kFlatArc = 0.001;

// The empty bounding box: maxima start low, minima high.
inline constexpr double kBoxStart = 1e8;

}  // namespace sulkor
