// Reads a text DXF (R12 and later) into a DxfDocument: $INSUNITS and $ACADVER from the header,
// the layer table, LINE, ARC, CIRCLE, LWPOLYLINE, POLYLINE with its VERTEX entities, HATCH
// (boundary paths and pattern) from the ENTITIES section, and the GROUP objects with their names.
// Other entities, blocks and objects are passed over.
#pragma once

#include <string_view>

#include "host/dxf/dxf_model.h"

namespace sulkor::host {

// Throws DxfError naming file (and the line where it applies) for a file that is not a DXF,
// ends early, or holds a value that is not a sound number.
DxfDocument ReadDxf(std::string_view text, std::string_view file);

}  // namespace sulkor::host
