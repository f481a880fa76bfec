// A drawing read from a file made into a job for the groove operation: the part blank gathered
// into the part's group (with the part's "DATA" graphics), the part made the store's active part,
// the store's units following the drawing's, and the graphics the operation starts from found.
#pragma once

#include <memory>
#include <string_view>

#include "host/memory/memory_host.h"

namespace sulkor::host {

struct DrawingPart {
  std::shared_ptr<MemoryPart> part;
  Handle<Graphic> partGroup;      // "Part": the blank and the "DATA" graphics
  Handle<Graphic> blank;
  Handle<Graphic> workContour;    // the top-level "WorkContour"
  Handle<Graphic> lastPartBlank;  // a top-level "LastPartBlank" not on "CAMOperations", or nothing
};

// Sets up the part of the host's active drawing. A part blank is a closed top-level graphic
// that is none of "WorkContour", "LastPartBlank", "DATA" or an earlier run's output. Throws
// HostError naming `file` when there is no "WorkContour", no part blank, or more than one.
DrawingPart SetUpPartFromDrawing(MemoryHost& host, std::string_view file);

}  // namespace sulkor::host
