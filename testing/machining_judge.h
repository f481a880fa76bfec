// Judging a groove the way a machinist would before running the program: the groove is drawn,
// run through the public Groove object in a memory host, and its tool path is checked by
// sweeping the insert along it (no cut into the finished part, no positioning move through the
// stock standing at that moment, the path closed at the start point) and against an
// independent, brute-force reckoning of what the insert can reach: material that the insert
// could have taken and the path left.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "contour/records.h"
#include "operation/work_kind.h"

namespace sulkor::testing {

// A point of a drawn outline in the groove's own terms: a along the cross axis, d the depth
// into the part (negative: above the surface). `fillet` rounds the corner at this point.
struct Drawn {
  double a = 0.0;
  double d = 0.0;
  double fillet = 0.0;
};

struct GrooveCase {
  std::string name;
  WorkKind kind = WorkKind::OutsideDiameter;
  std::string units = "mm";
  double toolWidth = 3.0;
  double cornerRadius = 0.2;
  std::vector<Drawn> blank;    // closed outline of the stock
  std::vector<Drawn> profile;  // the finished profile, from outside the stock to outside
  // Where the groove's a = 0, d = 0 lies: along the cross axis and along the plunge axis (the
  // drawing's y for diameters, x for faces).
  double across = 0.0;
  double surface = 0.0;
  Drawn start;                 // the start point
};

// The outline as lines and arcs in the drawing. The first point of a closed outline is not
// rounded.
Contour DrawnContour(const GrooveCase& c, const std::vector<Drawn>& points, bool closed);

struct Verdict {
  bool built = false;
  std::string detail;            // the reason of a refusal
  double gouge = 0.0;            // deepest cut into the finished part
  double positioning = 0.0;      // deepest positioning move into standing stock
  double leftReachable = 0.0;    // thickest material left that the insert could reach
  double leftAt[2] = {0.0, 0.0};  // where, in the drawing
  bool closedAtStart = false;    // the path starts and ends at the start point
  // How far the stock the operation hands on lies from the stock the sweep leaves: their
  // difference in area over the length of the groove's outline.
  double stockMismatch = 0.0;
  int arcs = 0;  // arc moves in the path
};

// Runs the groove with the finish allowance given (nothing: the operation's default) and 1 mm
// (0.04 in) depth per pass, and judges the path.
Verdict Judge(const GrooveCase& c, std::optional<double> allowance);

}  // namespace sulkor::testing
