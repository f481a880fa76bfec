// The preparation of one operation's working geometry from the drawing: blank and work contour
// read and validated, the groove region found, the kind of work decided, the tool's orientation
// checked, the work area built, the region to machine chosen and the offsets derived.
#pragma once

#include <string_view>

#include "operation/operation_state.h"
#include "sulkor/data_store.h"
#include "sulkor/drawing.h"
#include "sulkor/graphic_names.h"

namespace sulkor {

// Graphic names the preparation reads.

// Fills working contours 1 to 9 and 12 and the direction sign. Every failure after the blank
// has been read shows its message (title 106) and answers false; a missing part, part group or
// blank, or an empty blank, answers false without a message. A failing host call is passed over.
bool PrepareWorkGeometry(OperationState& state, const Handle<BlockSet>& camBSet,
                         const Handle<GraphicSet>& workGraphics);

// The orientation that a tool must have for the operation's kind of work: "TurnExternal",
// "TurnInternal", "BackFace", or the trajectory type itself for a front face.
std::string OperationOrientation(const std::string& trajectoryType, int16_t directionSign);

}  // namespace sulkor
