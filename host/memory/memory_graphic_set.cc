#include "host/memory/memory_graphic_set.h"

namespace sulkor::host {

Handle<Graphic> MemoryGraphicSet::Item(int32_t index) {
  if (index < 0 || index >= Count()) return nullptr;
  return graphics_[static_cast<size_t>(index)];
}

void MemoryGraphicSet::Add(const Handle<Graphic>& graphic) {
  if (!graphic) throw HostError("nothing cannot be added to a graphic set");
  graphics_.push_back(graphic);
}

}  // namespace sulkor::host
