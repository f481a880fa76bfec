// Reads a text or binary DXF (R12 and later) into a DxfDocument: $INSUNITS and $ACADVER from the
// header, the layer table, LINE, ARC, CIRCLE, LWPOLYLINE, POLYLINE with its VERTEX entities,
// HATCH (boundary paths and pattern) and INSERT from the ENTITIES section and from the blocks,
// SPLINE and ELLIPSE by name only, and the GROUP objects with their names. Other entities and
// objects, and sections other than HEADER, TABLES, BLOCKS, ENTITIES and OBJECTS (a thumbnail, for
// one), are passed over. The entities stay as the file holds them: ToWorldEntities places them.
#pragma once

#include <string_view>

#include "host/dxf/dxf_model.h"

namespace sulkor::host {

// Throws DxfError naming file (and the line where it applies) for a file that is not a DXF,
// ends early, or holds a value that is not a sound number.
DxfDocument ReadDxf(std::string_view text, std::string_view file);

}  // namespace sulkor::host
