// Functions of one coordinate u made of straight and circular pieces, and their envelopes.
//
// The tool path works in the plunge frame of its kind of work: u along the cross axis, v against
// the plunge (up, out of the part). In that frame every question the path asks about the part,
// the stock and the insert is a question about a function of u:
//   - the highest point of a contour in each column, widened by a radius (the contour dilated by
//     a disc, seen from above): where the centre of a corner circle may go;
//   - the largest value over a window [u, u + s]: where the whole flat of the insert may go;
//   - the lowest point the insert's tip reaches when its reference point runs along a locus.
// All of these are envelopes of straight pieces and circle halves, computed exactly (no
// sampling): the breakpoints are the ends of the pieces and their crossings, and between two
// breakpoints one piece is the extreme.
#pragma once

#include <optional>
#include <vector>

#include "contour/records.h"

namespace sulkor {

// One piece of a function v(u) over [u0, u1]: straight through (u0, v0) and (u1, v1), or the
// upper (half = 1) or lower (half = -1) half of the circle around (cu, cv) of radius `radius`.
struct Piece {
  bool arc = false;
  double u0 = 0.0, u1 = 0.0;
  double v0 = 0.0, v1 = 0.0;
  double cu = 0.0, cv = 0.0, radius = 0.0;
  int half = 1;

  double At(double u) const;
  Piece Shifted(double du, double dv) const;
};

using Pieces = std::vector<Piece>;

Piece Straight(double u0, double v0, double u1, double v1);
Piece Level(double u0, double u1, double v);
Piece HalfCircle(double cu, double cv, double radius, int half, double u0, double u1);

// The envelope of the pieces: at every u the largest (upper) or smallest value of the pieces
// defined there, as pieces in order along u that share their ends. Where no piece is defined the
// envelope has a gap.
Pieces Envelope(const Pieces& pieces, bool upper);

// The envelope's value at u: the left limit (`fromLeft`) or the right limit where pieces meet;
// nothing in a gap or outside.
std::optional<double> ValueAt(const Pieces& envelope, double u, bool fromLeft = false);

// The pieces of the region within `radius` of the segment, seen from above (upper: the highest
// point in each column) or from below. A radius of 0 gives the segment itself.
void DilatedSegment(const Segment& segment, double radius, bool upper, Pieces& out);

// The largest (max = true) or smallest value of the envelope f over the window [u, u + s]
// (window = +s) or [u - s, u] (window = -s), as a new envelope. Values at a jump count on both
// sides.
Pieces WindowExtreme(const Pieces& f, double s, bool max);

// The lower envelope of the tip of the insert (flat s long, corner radius r, the flat running
// from the reference point towards +u) when its reference point runs along the graph of f,
// jumps included: the lowest point that the tip reaches in each column.
Pieces TipSweepFloor(const Pieces& f, double s, double r);

// The envelope's pieces as a chain of segments in the (u, v) plane, vertical lines joining the
// pieces where the value jumps, from u0 to u1 (clamped to the envelope's extent).
std::vector<Segment> GraphChain(const Pieces& f, double u0, double u1);

// The intervals of u in [lo, hi] where g exceeds f by more than `margin` (both defined there).
struct Interval {
  double lo = 0.0, hi = 0.0;
};
std::vector<Interval> WhereBelow(const Pieces& f, const Pieces& g, double margin, double lo,
                                 double hi);

// The largest amount by which f rises above the straight line from (ua, va) to (ub, vb), over
// the line's u-range; negative when f stays below it everywhere, -infinity where f is not
// defined.
double MaxAboveLine(const Pieces& f, double ua, double va, double ub, double vb);

// The largest value of g - f over [lo, hi] where both are defined; -infinity if nowhere.
double MaxDifference(const Pieces& f, const Pieces& g, double lo, double hi);

}  // namespace sulkor
