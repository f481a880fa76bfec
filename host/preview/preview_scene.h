// A drawing read for a preview: every graphic of its tree that has geometry, flattened into one
// list of shapes in drawing order, with the pen colour, fill brush and name that decide how each
// is painted, and the box around them all.
//
// The reader knows the drawing's storage (memory_graphic.h): polylines with arc-marked centre and
// quarter point before an arc's end, arcs by start, end, quarter point and centre, circles by
// centre and a point on them. It knows no graphic by its meaning; the painter decides that from
// names, colours and brushes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kernel/arc_vertices.h"
#include "sulkor/drawing.h"

namespace sulkor::host {

// A piece of a shape from the previous point to end: a line, or an arc around center with the
// signed sweep (positive counterclockwise, a full turn when it comes back to its start).
struct PreviewPiece {
  Point2 end;
  bool arc = false;
  Point2 center;
  double radius = 0.0;
  double sweep = 0.0;
};

struct PreviewShape {
  Point2 start;
  std::vector<PreviewPiece> pieces;
  bool closed = false;
  // The drawing colour (red + 256 * green + 65536 * blue) of the graphic or of the nearest
  // group above it that has one; nothing when none has.
  std::optional<int32_t> penColor;
  std::string brush;  // the fill brush's name; empty for none
  double brushScale = 1.0;
  // The name of the graphic, else of the nearest named group above it ("Trajectory" for a move
  // of a tool path); empty when none is named.
  std::string role;
};

struct PreviewScene {
  std::vector<PreviewShape> shapes;
  Point2 lo;  // the box around every shape; meaningless when there are no shapes
  Point2 hi;
  std::string unit;  // the drawing's "LinearUnitName", "mm" when it has none
};

// Reads the drawing. Throws sulkor::Error (HostError, GeometryError) when a graphic's vertices do
// not describe its arcs, and HostError for a coordinate that is not finite.
PreviewScene CollectPreviewScene(Drawing& drawing);

// The points of a shape's outline, arcs divided into chords of at most maxAngle radians; the
// first point is the start, a closed shape does not repeat it.
std::vector<Point2> ShapePoints(const PreviewShape& shape, double maxAngle);

}  // namespace sulkor::host
