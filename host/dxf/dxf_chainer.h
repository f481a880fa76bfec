// Turns the entities of a DXF file into the graphics of a drawing.
//
//   $INSUNITS 1 / 4          the drawing's "LinearUnitName" "in" / "mm" (others leave it)
//   layer "WorkContour"      its lines, arcs and polylines chained into one graphic "WorkContour"
//   layer "LastPartBlank"    chained into one closed graphic "LastPartBlank"
//   layer "DATA"             each chain a graphic "DATA"
//   layer "CAMOperations"    what an earlier run wrote: its GROUP objects come back as the
//                            "Trajectory" group (lines, arcs, circles), the hatched
//                            "RemovedMaterial" and the "LastPartBlank" outline
//   any other layer          each chain must close: a part-blank graphic named after the layer
//
// Pieces are chained end to end where their ends meet within 1e-6, reversed where needed, in file
// order; a polyline's bulges become arcs; a circle is a chain of its own. Every graphic keeps
// the layer it came from and, where the entity has one, its colour as "PenColor".
#pragma once

#include <string_view>

#include "geometry/records.h"
#include "host/dxf/dxf_model.h"
#include "sulkor/drawing.h"

namespace sulkor::host {

// The segments of a polyline: lines, and arcs where a vertex has a bulge; closed polylines run
// back to their first vertex. Vertices closer than 1e-9 to the next are passed over.
Contour PolylineContour(const std::vector<DxfVertex>& vertices, bool closed);

// Adds the graphics of doc to the drawing's top-level graphics and sets its unit. Throws
// DxfError naming file for an open part blank, a "WorkContour" that is missing or not one chain,
// and entities whose geometry is degenerate.
void AddDxfToDrawing(const DxfDocument& doc, std::string_view file, Drawing& drawing);

}  // namespace sulkor::host
