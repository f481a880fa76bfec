// Places the entities a DXF file holds in the drawing's plane and unit: entities in an object
// coordinate system (an extrusion of (0, 0, -1), as mirrored CAD views write them) turned into
// world coordinates, block references (INSERT, nested) replaced by their blocks' entities moved,
// scaled and rotated, and every length converted from $INSUNITS to the drawing's unit.
//
//   $INSUNITS   0 (none), 4 mm     millimetres as they stand
//               5 cm, 6 m          millimetres, times 10 or 1000
//               1 in               inches as they stand
//               2 ft               inches, times 12
//               any other          refused: a lathe drawing is in one of these
#pragma once

#include <string_view>

#include "host/dxf/dxf_model.h"

namespace sulkor::host {

// Rewrites doc: the entities in world coordinates with the INSERTs expanded (an entity of a block
// on layer "0" takes the INSERT's layer), the blocks dropped, insUnits 1 (inch), 4 (mm) or 0
// (none, read as mm). Throws DxfError naming file for a unit outside the table, an extrusion off
// the z axis, a block scaled unevenly around an arc, a missing block and a block that inserts
// itself.
void ToWorldEntities(DxfDocument& doc, std::string_view file);

}  // namespace sulkor::host
