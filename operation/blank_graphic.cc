#include "operation/blank_graphic.h"

#include "contour/tolerances.h"

namespace sulkor {

Handle<Graphic> FindBlankGraphic(const Handle<Graphic>& partGroup, BlankMatch match) {
  Handle<Graphics> children = partGroup->Children();
  Handle<Graphic> blank;
  const int32_t count = children->Count();
  for (int32_t i = 0; i < count; ++i) {
    Handle<Graphic> child = children->Item(i);
    const std::string tag = match == BlankMatch::ByName ? child->Name() : child->Kind();
    if (tag != kKindData) blank = child;
  }
  return blank;
}

bool IsFlatBlank(const Handle<Graphic>& blank) {
  const BoundingBox box = blank->Box();
  return box.max[2] - box.min[2] < kEps;
}

Handle<Graphic> BlankProfile(const Handle<Graphic>& blank) {
  if (IsFlatBlank(blank)) return blank;
  Handle<Graphics> children = blank->Children();
  const int32_t count = children->Count();
  for (int32_t i = 0; i < count; ++i) {
    Handle<Graphic> child = children->Item(i);
    const std::string kind = child->Kind();
    if (kind != kKindData && kind != kKindSolid) return child;
  }
  return nullptr;
}

}  // namespace sulkor
