// A machining check of a groove tool path, as a machinist would run it before sending the
// program to the lathe: the grooving insert's outline is swept along every move, in order, and
// the check reports how deep any move reaches into the finished part, how much of the groove is
// left uncut, and which positioning moves run through stock.
//
// The reference point of the path is the centre of the insert's corner radius on the low side
// of the cross axis (the axis along which the plunges are spaced): the other corner's centre lies
// w - 2r further along that axis, and the cutting edge lies r beyond both centres in the plunge
// sense. The insert's body lies against the plunge sense. With u along the cross axis from the
// reference and v against the plunge sense, the outline is the same for every kind of work:
//
//       (-r, L) +--------------------------+ (w - r, L)          L: the body length
//               |                          |
//       (-r, 0) +   o (0,0)    (w-2r,0) o  + (w - r, 0)          o: the corner centres
//                \_________________________/                     corner arcs of radius r,
//                  (0, -r)        (w-2r, -r)                     the cutting edge at v = -r
//
// and it is placed in the drawing as follows:
//   outside diameter ("Turn", 1):  u = +x, v = +y  (plunges downwards, body above)
//   bore             ("Turn", -1): u = +x, v = -y  (plunges upwards, body towards the axis)
//   front face       ("Face", 1):  u = +y, v = +x  (plunges towards -x, body on the +x side)
//   back face        ("Face", -1): u = +y, v = -x  (plunges towards +x, body on the -x side)
// The outline is convex, so the sweep along a straight move is the convex hull of the outline
// at the two ends (built directly from the two outlines' halves on either side of the move);
// an arc move is swept chord by chord.
//
// Accuracy. The check works on polygons (Boost.Geometry): the insert's corner arcs, the arcs of
// the contours and the arc moves are replaced by chords whose sagitta is at most `tolerance`,
// with their vertices on the true arcs. The geometry it measures on is therefore within
// 3 * tolerance (one for the insert, one for the move, one for the contour) of the exact one,
// besides the rounding of double arithmetic; an area is within that bound times the length of
// the outlines concerned. MachiningReport::errorBound states the bound of the run. Depths are
// read at points: the vertices of an overlap (a cut into a wall reaches deepest at the insert's
// corner, a vertex) and, where the overlap has some area, a grid of 9 by 9 points over it (a
// protrusion swept whole has all its overlap's vertices on the part's outline); the uncut depth
// at the vertices of the uncut pieces. A depth can thus fall short of the exact figure by the
// spacing of those points (for a fillet of radius 0.9 at chords of 1e-5: about 0.004).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "contour/records.h"
#include "operation/work_kind.h"

namespace sulkor {

struct InsertShape {
  double width = 0.0;         // w
  double cornerRadius = 0.0;  // r, as the geometry uses it
  WorkKind kind = WorkKind::OutsideDiameter;
  double bodyLength = 0.0;    // L: how far the body reaches from the corner centres
};

// A positioning move that runs through stock.
struct PositioningHit {
  int32_t move = -1;   // index in the tool path
  double depth = 0.0;  // deepest reach into the stock
  double area = 0.0;   // stock swept
};

struct MachiningReport {
  // The deepest reach of any move into the finished part, and the move (-1: none reaches in).
  double gougeDepth = 0.0;
  int32_t gougeMove = -1;
  // The area of the finished part that the moves reaching deeper than the error bound swept.
  double gougeArea = 0.0;
  // The region to machine that no move swept: all of it, the part of it farther than the finish
  // allowance from the finished part, and the farthest any of it lies from the finished part.
  double uncutArea = 0.0;
  double uncutBeyondAllowance = 0.0;
  double uncutDepth = 0.0;
  // The area of the stock that stands after the last move.
  double stockLeftArea = 0.0;
  // The outlines of the uncut pieces, as points (x, y) in order.
  std::vector<std::vector<std::array<double, 2>>> uncutOutlines;
  // Positioning moves that reach deeper than the error bound into the stock as it stands when
  // they run (the blank less what the earlier moves swept).
  std::vector<PositioningHit> positioningHits;
  double errorBound = 0.0;
};

struct MachiningCheckInput {
  const Contour* toolPath = nullptr;
  InsertShape insert;
  const Contour* blank = nullptr;           // the stock before the operation
  const Contour* finishedPart = nullptr;    // the stock that must remain
  const Contour* regionToMachine = nullptr; // the stock that must go
  double allowance = 0.0;                   // material that may stay along the finished part
  double tolerance = 1e-6;                  // largest sagitta of a chord that replaces an arc
  // Off: only the cut into the finished part and the positioning hits are measured (what a
  // guard needs before the path is sent on). The stock is then kept only where a later
  // positioning move can meet it, and the uncut and stock-left figures stay 0.
  bool measureStock = true;
};

// Sweeps the insert along every move of the path and measures. Throws GeometryError for
// a missing contour, a non-positive width or tolerance, or outlines the polygon library refuses.
MachiningReport CheckMachining(const MachiningCheckInput& input);

}  // namespace sulkor
