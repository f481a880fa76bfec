// One groove operation on a part set up in the memory host, run as a host application runs it.
#pragma once

#include "host/dxf/part_from_drawing.h"
#include "sulkor/groove.h"

namespace sulkor::values {

// Creates the operation's block set with the part's "WorkContour" selected, puts the stock an
// earlier operation left ("LastPartBlank") into its group when the part has one, and runs
// DoGroove. Answers whether the tool path was computed.
bool RunOnPart(Groove& groove, const host::DrawingPart& part);

}  // namespace sulkor::values
