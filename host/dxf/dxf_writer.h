// Writes a DxfDocument as a text DXF R2010 (AC1024): header with $ACADVER and $INSUNITS, the
// tables a reader needs (VPORT, LTYPE with CONTINUOUS, LAYER, STYLE, VIEW, UCS, APPID,
// DIMSTYLE, BLOCK_RECORD), the model and paper space blocks, the entities in model space, and
// the objects: the root dictionary, the group dictionary with one GROUP per document group, the
// layouts. Every object has a handle and its owner. Numbers are written in the shortest form
// that reads back to the same double.
#pragma once

#include <string>

#include "host/dxf/dxf_model.h"

namespace sulkor::host {

// Hatches are written with the ANSI36 pattern lines (scaled by patternScale), or solid.
std::string WriteDxf(const DxfDocument& doc);

}  // namespace sulkor::host
