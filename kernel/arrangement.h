// The arrangement of a set of curves: every curve cut at the points it shares with the others,
// the cut ends gathered into nodes, and the walk that stitches chosen pieces into chains and
// loops. The offset and the combination of contours both stand on it.
#pragma once

#include <vector>

#include "contour/records.h"
#include "kernel/box_index.h"
#include "kernel/curve.h"
#include "kernel/shape.h"

namespace sulkor::host {

struct Piece {
  Curve C;       // Source: the index of the input curve it was cut from
  int From = 0;  // node at its start
  int To = 0;    // node at its end
};

struct Arrangement {
  std::vector<Piece> Pieces;     // in the order of the input curves, each in its order of travel
  std::vector<double> NodeX;     // node coordinates
  std::vector<double> NodeY;
};

// Cuts the curves at their mutual intersections. Two curves are cut against each other when
// their groups differ, or, with withinGroups, also when they belong to the same group. Ends
// closer than kNodeTol become one node; pieces shorter than that vanish.
Arrangement BuildArrangement(const std::vector<Curve>& curves, const std::vector<int>& groups,
                             bool withinGroups);
// The same with the curves' shapes already made.
Arrangement BuildArrangement(const std::vector<Curve>& curves, const std::vector<Shape>& shapes,
                             const std::vector<int>& groups, bool withinGroups);

struct Path {
  std::vector<Curve> Curves;
  bool Closed = false;
};

// Stitches the chosen pieces into paths. A path starts at a node that no chosen piece enters, or
// anywhere on a loop. Where several chosen pieces leave one node, the walk takes the one that
// turns most to the left (leftTurns) or most to the right, so that the region on that side of
// the walk stays in one loop. Consecutive pieces of one input curve are joined back together.
std::vector<Path> StitchPieces(const Arrangement& arrangement, const std::vector<int>& chosen,
                               bool leftTurns);

double PathLength(const Path& path);
double PathArea(const Path& path);  // signed, counterclockwise positive

// A contour of the path's curves, with its bounding box.
Contour ContourFromPath(const Path& path);

// Curves with their shapes and the index of their boxes (grown by kNodeTol): what the inside
// test and the distance queries run against.
struct CurveSet {
  explicit CurveSet(std::vector<Curve> curves);
  std::vector<Curve> Curves;
  std::vector<Shape> Shapes;
  BoxIndex Index;
  Box Bounds;  // of all the boxes
};

// Whether (x, y) lies inside the closed outline made of the curves, by the parity of the
// crossings of a ray (the inside test of the point-in-contour service, run on the curves whose
// boxes the ray meets). The point must not lie on the outline.
bool Inside(const CurveSet& outline, double x, double y);

// Distance from (x, y) to the nearest of the curves whose box lies within reach of it; reach
// when none does.
double NearestDistance(const CurveSet& set, double x, double y, double reach,
                       int* nearest = nullptr);

}  // namespace sulkor::host
