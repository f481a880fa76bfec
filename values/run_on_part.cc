#include "values/run_on_part.h"

#include <memory>

#include "host/memory/memory_graphic_set.h"

namespace sulkor::values {

bool RunOnPart(Groove& groove, const host::DrawingPart& part) {
  auto selection = std::make_shared<host::MemoryGraphicSet>();
  selection->Add(part.workContour);
  const Handle<BlockSet> operation = groove.CreateBlockSet(Handle<GraphicSet>(selection));
  if (!operation) return false;
  if (part.lastPartBlank) {
    // The stock an earlier operation left: this operation starts from it.
    operation->GraphicGroup()->Children()->AddGraphic(part.lastPartBlank);
  }
  return groove.DoGroove(operation);
}

}  // namespace sulkor::values
